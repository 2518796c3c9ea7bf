#pragma once

#include "registry/ILmtRegistryParser.h"

#include <memory>

namespace zendrel::lmt::setup {

class LmtAccessToken;

// The parser of the vendor's online registry; it sends the signed-in user's token along.
class ILmtOnlineRegistryParser : public ILmtRegistryParser
{
    Q_OBJECT

public:
    using ILmtRegistryParser::ILmtRegistryParser;

    // Replaces the token sent with the next request; null or empty means signed out.
    virtual void setAccessToken(std::shared_ptr<LmtAccessToken> token) = 0;
};

} // namespace zendrel::lmt::setup
