#include "app/CommandLine.h"

#include "platform/AppInfo.h"
#include "update/VersionText.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

// Qt's options and how many values follow each. Qt reads them with one dash or two, and
// --style=…, --stylesheet=… and -qmljsdebugger=… carry their value in the same word.
struct QtOption {
    const char* name;
    int values;
};
constexpr QtOption kQtOptions[] = {
    {"platform", 1},        {"platformpluginpath", 1},
    {"platformtheme", 1},   {"plugin", 1},
    {"qwindowgeometry", 1}, {"qwindowicon", 1},
    {"qwindowtitle", 1},    {"geometry", 1},
    {"title", 1},           {"icon", 1},
    {"display", 1},         {"name", 1},
    {"session", 1},         {"style", 1},
    {"stylesheet", 1},      {"qmljsdebugger", 1},
    {"reverse", 0},         {"widgetcount", 0},
    {"testability", 0},     {"sync", 0},
    {"nograb", 0},          {"dograb", 0},
};

// The values to skip after `argument` when it is one of Qt's options, or -1.
int qtOptionValues(const QString& argument)
{
    if (!argument.startsWith(u'-'))
        return -1;
    QStringView word = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
    const qsizetype equals = word.indexOf(u'=');
    const bool valueInWord = equals >= 0;
    if (valueInWord)
        word = word.first(equals);
    for (const QtOption& option : kQtOptions) {
        if (word != QLatin1String(option.name))
            continue;
        if (!valueInWord)
            return option.values;
        return option.values > 0 ? 0 : -1;
    }
    return -1;
}

CommandLine::Request refuse(const QString& reason)
{
    return {CommandLine::Action::Refuse, reason, {}, false};
}

QString helpText()
{
    return QStringLiteral(
        "使い方: shiguren [オプション]\n"
        "\n"
        "気象庁の雨雲レーダーと降水ナウキャストを地図で見るアプリケーションです。\n"
        "\n"
        "オプション:\n"
        "  -h, --help       この説明を表示して終了します。\n"
        "  -v, --version    バージョンを表示して終了します。\n"
        "  --rain-at 場所   その場所の雨の見込み（前後1時間と予報）を表示して終了します。\n"
        "                   場所は「緯度,経度」（例: 35.681,139.767）か、登録した地点の名前。\n"
        "  --json           --rain-at の結果を JSON で出力します。\n"
        "\n"
        "終了ステータス: 0 成功、2 引数の誤り、3 データを取得できない。\n"
        "\n"
        "Qt のオプション（-platform、-style、-reverse など）も指定できます。\n");
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

namespace CommandLine {

QStringList arguments(int argc, const char* const* argv)
{
    QStringList list;
    list.reserve(argc);
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

Request read(const QStringList& arguments)
{
    QStringList ours = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const int values = qtOptionValues(arguments[i]);
        if (values < 0) {
            ours.append(arguments[i]);
            continue;
        }
        if (i + values >= arguments.size())
            return refuse(QStringLiteral("オプション %1 には値が必要です。").arg(arguments[i]));
        i += values;
    }

    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption rainAt(QStringLiteral("rain-at"), QString(), QStringLiteral("place"));
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOptions({help, version, rainAt, json});
    if (!parser.parse(ours)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return refuse(QStringLiteral("不明なオプションです: %1").arg(unknown.first()));
        return refuse(QStringLiteral("オプションの指定が正しくありません。"));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return refuse(
            QStringLiteral("不明な引数です: %1").arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(help))
        return {Action::ShowHelp, {}, {}, false};
    if (parser.isSet(version))
        return {Action::ShowVersion, {}, {}, false};
    if (parser.isSet(rainAt)) {
        const QString place = parser.value(rainAt).trimmed();
        if (place.isEmpty())
            return refuse(QStringLiteral("--rain-at には場所を指定してください。"));
        return {Action::RainAt, {}, place, parser.isSet(json)};
    }
    if (parser.isSet(json))
        return refuse(QStringLiteral("--json は --rain-at と一緒に指定してください。"));
    return {};
}

int answer(const Request& request)
{
    switch (request.action) {
    case Action::ShowHelp:
        print(stdout, helpText());
        return 0;
    case Action::ShowVersion:
        print(stdout, VersionText::named() + u'\n');
        return 0;
    case Action::Refuse:
        return fail(kBadArguments, request.refusal);
    case Action::Run:
    case Action::RainAt:
        break;
    }
    return 0;
}

int fail(int status, const QString& message)
{
    QString text = QStringLiteral("shiguren: %1\n").arg(message);
    if (status == kBadArguments)
        text += QStringLiteral("使い方は shiguren --help で表示できます。\n");
    print(stderr, text);
    return status;
}

} // namespace CommandLine
