#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

class QDeadlineTimer;

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtToolSelectModel;
class LmtToolSelectRow;

// Builds the rows of both select tables from a catalogue, a slice at a time over turns of the
// event loop: a catalogue of a thousand tools takes longer than the window may stand still. The
// tables keep showing their old rows until all new ones are built and sorted, so that they never
// show half a catalogue.
class LmtSelectRowsBuilder : public QObject
{
    Q_OBJECT

public:
    // sliceMs: how long a turn of the event loop may build; each turn builds at least one
    // tool's rows or sorts one table.
    LmtSelectRowsBuilder(LmtToolSelectModel *baseModel, LmtToolSelectModel *additionalModel,
        QObject *parent, int sliceMs = 8);

    // Starts building the rows, dropping a build still under way. A catalogue that takes no
    // more than a slice is shown before this returns; built() follows in either case.
    void buildInTurns(std::shared_ptr<LmtCoreToolModel> toolModel);
    // Drops a build under way: its catalogue is about to be rewritten.
    void stop();
    bool isBuilding() const { return m_turn.isActive(); }

Q_SIGNALS:
    // Both tables show the rows of the catalogue given last.
    void built();

private:
    void start(std::shared_ptr<LmtCoreToolModel> toolModel);
    // Works until the deadline; true once both tables show the new rows.
    bool buildUntil(const QDeadlineTimer &deadline);
    void buildMore();

    LmtToolSelectModel *m_baseModel;
    LmtToolSelectModel *m_additionalModel;
    const int m_sliceMs;
    std::shared_ptr<LmtCoreToolModel> m_toolModel;
    // The next tool to build rows for; then each table's rows are sorted in a step of their
    // own before both are shown together.
    qsizetype m_nextTool = 0;
    int m_sorted = 0;
    QList<std::shared_ptr<LmtToolSelectRow>> m_baseRows;
    QList<std::shared_ptr<LmtToolSelectRow>> m_additionalRows;
    QTimer m_turn;
};

} // namespace zendrel::lmt::setup
