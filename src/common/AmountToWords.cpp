#include "common/AmountToWords.h"

#include <cfenv>
#include <cmath>

#include "rtl/Exception.h"

namespace {

const char16_t* const UnitWords[20] = {u"",           u"jeden",        u"dwa",         u"trzy",
                                       u"cztery",     u"pięć",         u"sześć",       u"siedem",
                                       u"osiem",      u"dziewięć",     u"dziesięć",    u"jedenaście",
                                       u"dwanaście",  u"trzynaście",   u"czternaście", u"piętnaście",
                                       u"szesnaście", u"siedemnaście", u"osiemnaście", u"dziewiętnaście"};
const char16_t* const TenWords[10] = {u"",
                                      u"dziesięć",
                                      u"dwadzieścia",
                                      u"trzydzieści",
                                      u"czterdzieści",
                                      u"pięćdziesiąt",
                                      u"sześćdziesiąt",
                                      u"siedemdziesiąt",
                                      u"osiemdziesiąt",
                                      u"dziewięćdziesiąt"};
const char16_t* const HundredWords[10] = {u"",        u"sto",      u"dwieście",  u"trzysta",  u"czterysta",
                                          u"pięćset", u"sześćset", u"siedemset", u"osiemset", u"dziewięćset"};
const char16_t* const ThousandForms[10] = {u"tysięcy", u"tysiąc",  u"tysiące", u"tysiące", u"tysiące",
                                           u"tysięcy", u"tysięcy", u"tysięcy", u"tysięcy", u"tysięcy"};
const char16_t* const ZlotyForms[10] = {u"złotych", u"złotych", u"złote",   u"złote",   u"złote",
                                        u"złotych", u"złotych", u"złotych", u"złotych", u"złotych"};
const char16_t* const GroszForms[10] = {u"groszy", u"groszy", u"grosze", u"grosze", u"grosze",
                                        u"groszy", u"groszy", u"groszy", u"groszy", u"groszy"};

QString word(const char16_t* w) {
    return QString::fromUtf16(w);
}

bool teen(int n) {
    const int lastTwo = n % 100;
    return lastTwo >= 10 && lastTwo <= 19;
}

}  // namespace

void SplitDigits(int n, int& unitsDigit, int& tensDigit, int& hundredsDigit, int& rest) {
    unitsDigit = n % 10;
    tensDigit = (n / 10) % 10;
    hundredsDigit = (n / 100) % 10;
    rest = n / 1000;
}

QString HundredsToWords(int n) {
    int u, t, h, rest;
    SplitDigits(n, u, t, h, rest);
    QString text;
    if (h != 0) text += word(HundredWords[h]) + QChar(' ');
    if (t >= 2) text += word(TenWords[t]) + QChar(' ');
    const int x = 10 * t + u;
    if (x >= 1 && x <= 19)
        text += word(UnitWords[x]) + QChar(' ');
    else if (x >= 20 && u != 0)
        text += word(UnitWords[u]) + QChar(' ');
    return text;
}

QString NumberToWords(int n) {
    const int r = n / 1000;
    QString text = HundredsToWords(r);
    if (teen(r))
        text += QStringLiteral("tysięcy ");
    else if (r != 0) {
        const int d = r % 10;
        text += (d == 1 && r != 1 ? QStringLiteral("tysięcy") : word(ThousandForms[d])) + QChar(' ');
    }
    return text + HundredsToWords(n % 1000);
}

QString ZlotyWord(int n) {
    if (teen(n)) return QStringLiteral("złotych");
    if (n == 1) return QStringLiteral("złoty");
    return word(ZlotyForms[n % 10]);
}

QString GroszWord(int n) {
    if (teen(n)) return QStringLiteral("groszy");
    if (n == 1) return QStringLiteral("grosz");
    return word(GroszForms[n % 10]);
}

QString AmountToWords(long double value) {
    if (!(value >= 0.0L) || value >= 1000000.0L) throw EConvertError(QStringLiteral("Amount out of range"));
    long double whole = std::trunc(value);
    // Halves go to the even neighbour: the default rounding mode of the machine.
    const int savedMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    long double grosze = std::nearbyint((value - whole) * 100.0L);
    std::fesetround(savedMode);
    if (grosze >= 100.0L) {
        grosze = 0;
        whole += 1;
    }
    if (whole > 999999.0L) throw EConvertError(QStringLiteral("Amount out of range"));
    const int z = static_cast<int>(whole);
    const int g = static_cast<int>(grosze);
    const QString zlote = z != 0 ? NumberToWords(z) + ZlotyWord(z) : QStringLiteral("zero złotych");
    const QString groszePart = g != 0 ? NumberToWords(g) + GroszWord(g) : QStringLiteral("zero groszy");
    return zlote + QChar(' ') + groszePart;
}
