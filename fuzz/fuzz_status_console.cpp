// The status console shows output of installers and other programs, classifying it line by
// line with regular expressions: any text must be shown, counted and recorded without a crash
// and in bounded time.
#include "FuzzSupport.h"
#include "shared_toolkit/StatusConsoleBase.h"

using namespace zendrel::lmt::shared_toolkit;

namespace {

// The logic without a widget: what would be shown is only measured.
class TextConsole : public StatusConsoleBase
{
public:
    void clear() override { m_shown.clear(); }
    void scrollToEnd() override { }
    void append(const QString &text) override { m_shown += text + QLatin1Char('\n'); }
    void insertPlainText(const QString &text) override { m_shown += text; }
    void setPlainText(const QString &text) override { m_shown = text; }

private:
    QString m_shown;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    lmtfuzz::setUp(argc, argv);
    return 0;
}

// The first byte picks the message type, flags and mode; the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t choice = data[0];
    const QString text = QString::fromUtf8(lmtfuzz::bytes(data + 1, size - 1));
    const auto type = static_cast<ConsoleMessageType>(choice % 6);
    const int flags = (choice >> 3)
        & (StatusConsoleBase::EmptyLineBefore | StatusConsoleBase::EmptyLineAfter
            | StatusConsoleBase::NotInTranscript);
    const int mode = (choice >> 6) % 3;

    TextConsole console;
    console.setLineSplitting((choice & 0x20) == 0);
    console.appendMessage(text, type, flags, mode);
    (void)console.cleanText(text);
    return 0;
}
