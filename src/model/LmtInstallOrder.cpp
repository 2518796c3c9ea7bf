#include "model/LmtInstallOrder.h"

#include "model/LmtTool.h"
#include "shared_toolkit/Log.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace zendrel::lmt::setup {

namespace {

using Graph = std::vector<std::vector<qsizetype>>;

// Whether candidate satisfies the dependency better than the best one so far: in range and
// a higher numeric version (so that the earliest one wins a tie). The feature id is checked
// by the caller.
bool isBetterTarget(const LmtToolVersion &candidate, const LmtToolVersion *best,
    const LmtToolDependency &dependency)
{
    return dependency.accepts(candidate.versionNumeric())
        && (!best || candidate.versionNumeric() > best->versionNumeric());
}

// Edges from each position to the positions of the versions it depends on. The same choice
// as findDependencyTarget(), with the positions grouped by feature id once instead of
// scanning the whole list for every dependency.
Graph dependencyGraph(const LmtToolVersionList &sorted)
{
    QHash<QString, std::vector<qsizetype>> positionsByFeature;
    for (qsizetype i = 0; i < sorted.size(); ++i)
        positionsByFeature[sorted.at(i)->featureId()].push_back(i);

    Graph edges(static_cast<size_t>(sorted.size()));
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        for (const std::shared_ptr<LmtToolDependency> &dependency : sorted.at(i)->dependencies()) {
            const auto candidates = positionsByFeature.constFind(dependency->targetFeatureId);
            if (candidates == positionsByFeature.cend())
                continue;
            qsizetype target = -1;
            for (qsizetype position : *candidates) {
                const LmtToolVersion *best = target < 0 ? nullptr : sorted.at(target).get();
                if (isBetterTarget(*sorted.at(position), best, *dependency))
                    target = position;
            }
            if (target < 0)
                continue;
            // The first position holding the same object (a list may name a version twice).
            const LmtToolVersion *object = sorted.at(target).get();
            for (qsizetype first = 0; first <= target; ++first) {
                if (sorted.at(first).get() == object) {
                    edges[static_cast<size_t>(i)].push_back(first);
                    break;
                }
            }
        }
    }
    return edges;
}

// Depth-first search from every position; an edge back onto the current path is a cycle.
// Iterative, so that long dependency chains cannot exhaust the stack.
bool hasCycle(const Graph &edges)
{
    enum State : char { Unvisited, OnPath, Done };
    std::vector<State> state(edges.size(), Unvisited);
    std::vector<std::pair<size_t, size_t>> path; // (position, next edge to follow)

    for (size_t start = 0; start < edges.size(); ++start) {
        if (state[start] != Unvisited)
            continue;
        state[start] = OnPath;
        path.emplace_back(start, 0);
        while (!path.empty()) {
            auto &[node, nextEdge] = path.back();
            if (nextEdge == edges[node].size()) {
                state[node] = Done;
                path.pop_back();
                continue;
            }
            const auto target = static_cast<size_t>(edges[node][nextEdge++]);
            if (state[target] == OnPath)
                return true;
            if (state[target] == Unvisited) {
                state[target] = OnPath;
                path.emplace_back(target, 0);
            }
        }
    }
    return false;
}

// Places positions in passes over the list; a position is placed once everything it depends
// on is placed, so dependencies come first while the key order is kept where it can be.
LmtToolVersionList placeInPasses(const LmtToolVersionList &sorted, const Graph &edges)
{
    LmtToolVersionList ordered;
    ordered.reserve(sorted.size());
    std::vector<bool> placed(edges.size(), false);
    bool progress = true;
    while (progress) {
        progress = false;
        for (size_t i = 0; i < edges.size(); ++i) {
            if (placed[i])
                continue;
            const bool ready = std::all_of(edges[i].cbegin(), edges[i].cend(),
                [&placed](qsizetype t) { return placed[size_t(t)]; });
            if (ready) {
                placed[i] = true;
                ordered.append(sorted.at(qsizetype(i)));
                progress = true;
            }
        }
    }
    return ordered;
}

} // namespace

std::shared_ptr<LmtToolVersion> findDependencyTarget(
    const LmtToolVersionList &versions, const LmtToolDependency &dependency)
{
    std::shared_ptr<LmtToolVersion> best;
    for (const std::shared_ptr<LmtToolVersion> &candidate : versions) {
        if (isBetterTarget(*candidate, best.get(), dependency)
            && candidate->featureId() == dependency.targetFeatureId)
            best = candidate;
    }
    return best;
}

quint64 installOrderKey(const LmtToolVersion &version)
{
    // The scaled parts are formed in 32 bits (as the key always has been), the sum in 64.
    const quint32 scaledMajor = version.major() * 10000u;
    const quint32 scaledMinor = version.minor() * 100u;
    const auto type = static_cast<quint64>(static_cast<qint64>(version.toolType()));
    return type * 1000000u + scaledMajor + scaledMinor + version.patch();
}

LmtToolVersionList sortForInstall(const LmtToolVersionList &versions)
{
    qCDebug(lmtLocal).noquote() << "[LmtInstallOrder]"
                                << ">> sortForInstall()";
    LmtToolVersionList sorted = versions;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto &a, const auto &b) { return installOrderKey(*a) < installOrderKey(*b); });

    const bool anyDependencies = std::any_of(
        sorted.cbegin(), sorted.cend(), [](const auto &v) { return !v->dependencies().isEmpty(); });
    if (!anyDependencies) {
        qCDebug(lmtLocal).noquote() << "[LmtInstallOrder]"
                                    << "<< sortForInstall()";
        return sorted;
    }

    const Graph edges = dependencyGraph(sorted);
    if (hasCycle(edges)) {
        qCWarning(lmtLocal).noquote()
            << "[LmtInstallOrder]"
            << "Dependency cycle found, keeping the default install order";
        qCDebug(lmtLocal).noquote() << "[LmtInstallOrder]"
                                    << "<< sortForInstall()";
        return sorted;
    }
    LmtToolVersionList ordered = placeInPasses(sorted, edges);
    qCDebug(lmtLocal).noquote() << "[LmtInstallOrder]"
                                << "<< sortForInstall()";
    return ordered;
}

} // namespace zendrel::lmt::setup
