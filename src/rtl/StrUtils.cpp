#include "rtl/StrUtils.h"

#include "rtl/SysUtils.h"

QString ReplaceStr(const QString& s, const QString& find, const QString& replacement) {
    if (find.isEmpty()) return s;
    QString result;
    result.reserve(s.size());
    qsizetype from = 0;
    for (qsizetype at = s.indexOf(find, from, Qt::CaseSensitive); at >= 0;
         at = s.indexOf(find, from, Qt::CaseSensitive)) {
        result.append(QStringView(s).mid(from, at - from));
        result.append(replacement);
        from = at + find.size();
    }
    result.append(QStringView(s).mid(from));
    return result;
}

QString MakeStr(QChar c, int count) {
    return count > 0 ? QString(count, c) : QString();
}

QString IntToRoman(int32_t value) {
    static const struct {
        int value;
        const char* text;
    } steps[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                 {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    QString roman;
    for (const auto& step : steps)
        while (value >= step.value) {
            roman += QLatin1String(step.text);
            value -= step.value;
        }
    return roman;
}

QString Dec2Hex(int32_t value, int digits) {
    return IntToHex(value, digits);
}
