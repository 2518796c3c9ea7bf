#include "views/LmtSelectRowsBuilder.h"

#include "model/LmtCoreToolModel.h"
#include "views/LmtToolSelectModel.h"

#include <QDeadlineTimer>

#include <utility>

namespace zendrel::lmt::setup {

LmtSelectRowsBuilder::LmtSelectRowsBuilder(LmtToolSelectModel *baseModel,
    LmtToolSelectModel *additionalModel, QObject *parent, int sliceMs)
    : QObject(parent)
    , m_baseModel(baseModel)
    , m_additionalModel(additionalModel)
    , m_sliceMs(sliceMs)
{
    m_turn.setInterval(0);
    connect(&m_turn, &QTimer::timeout, this, &LmtSelectRowsBuilder::buildMore);
}

void LmtSelectRowsBuilder::buildInTurns(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    start(std::move(toolModel));
    if (buildUntil(QDeadlineTimer(m_sliceMs)))
        Q_EMIT built();
    else
        m_turn.start();
}

void LmtSelectRowsBuilder::stop()
{
    start(nullptr);
}

void LmtSelectRowsBuilder::start(std::shared_ptr<LmtCoreToolModel> toolModel)
{
    m_turn.stop();
    m_toolModel = std::move(toolModel);
    m_nextTool = 0;
    m_sorted = 0;
    m_baseRows.clear();
    m_additionalRows.clear();
}

bool LmtSelectRowsBuilder::buildUntil(const QDeadlineTimer &deadline)
{
    const qsizetype tools = m_toolModel ? m_toolModel->tools().size() : 0;
    while (m_nextTool < tools) {
        const auto &tool = m_toolModel->tools().at(m_nextTool++);
        if (m_baseModel->belongsHere(*tool))
            m_baseModel->appendRowsOf(tool, m_baseRows);
        else
            m_additionalModel->appendRowsOf(tool, m_additionalRows);
        if (deadline.hasExpired())
            return false;
    }
    // Sorting a long table is a slice's worth of work on its own.
    QList<std::shared_ptr<LmtToolSelectRow>> *const tables[] = { &m_baseRows, &m_additionalRows };
    while (m_sorted < 2) {
        LmtToolSelectModel::sortIntoDisplayOrder(*tables[m_sorted++]);
        if (m_sorted < 2 && deadline.hasExpired())
            return false;
    }
    m_baseModel->showRows(std::exchange(m_baseRows, {}));
    m_additionalModel->showRows(std::exchange(m_additionalRows, {}));
    m_toolModel.reset();
    return true;
}

void LmtSelectRowsBuilder::buildMore()
{
    if (!buildUntil(QDeadlineTimer(m_sliceMs)))
        return;
    m_turn.stop();
    Q_EMIT built();
}

} // namespace zendrel::lmt::setup
