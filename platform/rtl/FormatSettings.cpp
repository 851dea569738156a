#include "platform/rtl/FormatSettings.h"

#include <QLocale>

#include <mutex>
#include <optional>

namespace velvane {

namespace {

char AsciiOr(const QString& text, char fallback)
{
    if (text.size() == 1 && text[0].unicode() < 0x80 && text[0].unicode() > 0x20) return static_cast<char>(text[0].unicode());
    return fallback;
}

// Qt's format letters, gathered into runs: "dd/MM/yyyy" gives d, M, y runs
// with the text between them. Quoted literals are skipped.
struct Run {
    QChar letter;
    int length;
    QString before;  // literal text before this run
};

std::vector<Run> Runs(const QString& format)
{
    std::vector<Run> runs;
    QString literal;
    for (int i = 0; i < format.size();) {
        QChar c = format[i];
        if (c == u'\'') {
            int end = format.indexOf(u'\'', i + 1);
            i = end < 0 ? format.size() : end + 1;
            continue;
        }
        if (c.isLetter()) {
            int j = i;
            while (j < format.size() && format[j] == c) ++j;
            runs.push_back({c, j - i, literal});
            literal.clear();
            i = j;
        } else {
            literal += c;
            ++i;
        }
    }
    return runs;
}

char SeparatorFrom(const QString& literal, char fallback)
{
    for (QChar c : literal)
        if (c.unicode() > 0x20 && c.unicode() < 0x80) return static_cast<char>(c.unicode());
    return fallback;
}

void TakeDateFormat(const QString& qtFormat, TFormatSettings& fs)
{
    String out;
    char separator = 0;
    int seen = 0;
    for (const Run& run : Runs(qtFormat)) {
        String token;
        if (run.letter == u'd' && run.length <= 2) token = run.length == 1 ? "d" : "dd";
        else if (run.letter == u'M') token = run.length == 1 ? "m" : "mm";
        else if (run.letter == u'y') token = "yyyy";
        else continue;
        if (seen > 0) {
            if (!separator) separator = SeparatorFrom(run.before, '/');
            out += separator;
        }
        out += token;
        ++seen;
    }
    if (seen != 3) return;  // keep the defaults for a format we cannot follow
    fs.ShortDateFormat = out;
    fs.DateSeparator = separator;
}

void TakeTimeFormat(const QString& qtFormat, TFormatSettings& fs)
{
    bool twelveHour = false;
    bool shortHour = false;
    char separator = 0;
    bool haveHour = false;
    for (const Run& run : Runs(qtFormat)) {
        QChar l = run.letter.toLower();
        if (l == u'h') {
            haveHour = true;
            shortHour = run.length == 1;
        } else if (l == u'm' && haveHour && !separator) {
            separator = SeparatorFrom(run.before, ':');
        } else if (l == u'a' || (l == u'p' && run.letter == u'P')) {
            twelveHour = true;
        }
    }
    if (!haveHour) return;
    fs.TimeSeparator = separator ? separator : ':';
    String sep(1, fs.TimeSeparator);
    fs.LongTimeFormat = String(shortHour ? "h" : "hh") + sep + "nn" + sep + "ss" + (twelveHour ? " AMPM" : "");
}

std::mutex settingsMutex;
std::optional<TFormatSettings> current;

} // namespace

TFormatSettings TFormatSettings::FromLocale(const QLocale& locale)
{
    TFormatSettings fs;
    fs.DecimalSeparator = AsciiOr(locale.decimalPoint(), '.');
    fs.ThousandSeparator = AsciiOr(locale.groupSeparator(), fs.DecimalSeparator == ',' ? '.' : ',');
    if (fs.ThousandSeparator == fs.DecimalSeparator) fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
    TakeDateFormat(locale.dateFormat(QLocale::ShortFormat), fs);
    TakeTimeFormat(locale.timeFormat(QLocale::LongFormat), fs);
    if (!locale.amText().isEmpty()) fs.TimeAMString = locale.amText().toStdString();
    if (!locale.pmText().isEmpty()) fs.TimePMString = locale.pmText().toStdString();
    return fs;
}

const TFormatSettings& FormatSettings()
{
    std::lock_guard lock(settingsMutex);
    if (!current) current = TFormatSettings::FromLocale(QLocale::system());
    return *current;
}

void SetFormatSettings(const TFormatSettings& settings)
{
    std::lock_guard lock(settingsMutex);
    current = settings;
}

} // namespace velvane
