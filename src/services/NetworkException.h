#pragma once

#include <QString>

#include <stdexcept>

namespace zendrel::lmt::setup {

// A failed HTTP request: the message is user text, the code a QNetworkReply::NetworkError.
class NetworkException : public std::runtime_error
{
public:
    NetworkException(const QString &message, int code)
        : std::runtime_error(message.toStdString())
        , m_code(code)
    {
    }

    int code() const { return m_code; }

private:
    int m_code;
};

} // namespace zendrel::lmt::setup
