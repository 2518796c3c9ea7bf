#pragma once

#include "services/ILmtDownloadManager.h"
#include "services/LmtAccessToken.h"

#include <QList>

#include <functional>
#include <memory>

namespace lmttest {

// Stands in for the HTTP client: records every call with the overload used and answers it
// through a function the test sets (which may throw NetworkException like the real one).
// No Q_OBJECT: it adds no signals or slots of its own.
class FakeDownloadManager : public zendrel::lmt::setup::ILmtDownloadManager
{
public:
    enum class Operation { GetWithToken, GetWithCurrentToken, GetWithoutToken, Post };
    struct Call {
        Operation operation;
        QUrl url;
        int timeoutMs = 0;
        QByteArray body;
    };
    using Responder = std::function<QByteArray(const Call &)>;

    void setResponder(Responder responder) { m_responder = std::move(responder); }
    void replyWith(const QByteArray &reply)
    {
        m_responder = [reply](const Call &) { return reply; };
    }
    QList<Call> calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }

    QByteArray getData(const QUrl &url, std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> token,
        int timeoutMs) override
    {
        return answer(
            { token ? Operation::GetWithToken : Operation::GetWithoutToken, url, timeoutMs, {} });
    }
    QByteArray getData(
        const QUrl &url, std::shared_ptr<zendrel::lmt::setup::LmtAccessToken> token) override
    {
        return getData(url, std::move(token), 0);
    }
    QByteArray getData(const QUrl &url, int timeoutMs) override
    {
        return answer({ Operation::GetWithCurrentToken, url, timeoutMs, {} });
    }
    QByteArray getData(const QUrl &url) override
    {
        return answer({ Operation::GetWithoutToken, url, 0, {} });
    }
    void postData(const QUrl &url, const QByteArray &data, int timeoutMs) override
    {
        answer({ Operation::Post, url, timeoutMs, data });
    }

private:
    QByteArray answer(const Call &call)
    {
        m_calls << call;
        return m_responder ? m_responder(call) : QByteArray();
    }

    Responder m_responder;
    QList<Call> m_calls;
};

} // namespace lmttest
