#include "options.h"

#include <QCommandLineParser>

namespace velmo {

namespace {

constexpr int kMaxPauseMs = 600000;

const char kDescription[] =
    "Plays the Velmo-XQ data-acquisition interface unit on a serial line (9600,N,8,1, no "
    "handshaking): it answers XCPT n, XEA n and XEBIT n with a number and a carriage return, "
    "and obeys XRESET, XSA v, XSBIT n and XRBIT n. Its analog inputs follow slow waves, its "
    "binary inputs change now and then; edge counter 0 counts the falling edges of binary "
    "input 0, edge counter 1 the rising edges of binary input 1. Stops on SIGINT or SIGTERM.";

// A pause in milliseconds, or nothing when the text is not one.
std::optional<int> pause(const QString& text) {
    bool ok = false;
    const int ms = text.toInt(&ok);
    if (!ok || ms < 0 || ms > kMaxPauseMs) return std::nullopt;
    return ms;
}

// What is wrong with where the emulator is to run, or an empty text.
QString whereError(const Options& o, const QStringList& positional) {
    if (positional.size() > 1) return QStringLiteral("Only one device.");
    if (o.pty == !positional.isEmpty())
        return QStringLiteral("Give a device or --pty, not both nor neither.");
    if (!o.linkPath.isEmpty() && !o.pty) return QStringLiteral("--link needs --pty.");
    return QString();
}

}  // namespace

Options parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    const QCommandLineOption pty("pty", "Creates a pseudo-terminal and prints its path.");
    const QCommandLineOption link("link", "With --pty: makes PATH a symbolic link to it.", "PATH");
    const QCommandLineOption silent("silent", "Never answers.");
    const QCommandLineOption delay("delay", "Answers MS milliseconds late.", "MS");
    const QCommandLineOption split("split", "Answers in two pieces, MS milliseconds apart.", "MS");
    const QCommandLineOption garbage("garbage", "Answers with a text that is not a number.");
    const QCommandLineOption verbose("verbose",
                                     "Logs its start and every command line on standard error.");
    parser.addOptions({help, pty, link, silent, delay, split, garbage, verbose});
    parser.addPositionalArgument("DEVICE", "The serial device (unless --pty).", "[DEVICE]");

    Options o;
    o.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        o.error = parser.errorText();
        return o;
    }
    o.help = parser.isSet(help);
    o.pty = parser.isSet(pty);
    o.linkPath = parser.value(link);
    o.verbose = parser.isSet(verbose);
    o.how.silent = parser.isSet(silent);
    o.how.garbage = parser.isSet(garbage);
    if (o.help) return o;
    o.error = whereError(o, parser.positionalArguments());
    if (o.error.isEmpty()) o.device = parser.positionalArguments().value(0);
    for (const auto& [option, target] :
         {std::pair{&delay, &o.how.delayMs}, {&split, &o.how.splitMs}}) {
        if (!parser.isSet(*option)) continue;
        const std::optional<int> ms = pause(parser.value(*option));
        if (!ms) {
            o.error = QStringLiteral("--%1 takes milliseconds, 0 to %2.")
                          .arg(option->names().first())
                          .arg(kMaxPauseMs);
        } else {
            *target = *ms;
        }
    }
    return o;
}

}  // namespace velmo
