#include "common/Fields.h"

namespace {

// Index after the run of non-delimiters starting at i.
qsizetype skipField(const QString& s, qsizetype i, const TCharSet& delims) {
    while (i < s.size() && !delims.contains(s[i])) ++i;
    return i;
}

}  // namespace

int FieldCount(const QString& s, const TCharSet& delims) {
    int count = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        if (delims.contains(s[i])) ++i;
        if (i < s.size()) ++count;
        i = skipField(s, i, delims);
    }
    if (!s.isEmpty() && delims.contains(s.back())) ++count;
    return count;
}

int FieldPosition(int n, const QString& s, const TCharSet& delims) {
    int count = 0;
    qsizetype i = 0;
    while (i < s.size() && count != n) {
        if (delims.contains(s[i])) ++i;
        if (i < s.size()) {
            ++count;
            if (count == n) return static_cast<int>(i + 1);
        }
        i = skipField(s, i, delims);
    }
    return 0;
}

QString ExtractField(int n, const QString& s, const TCharSet& delims) {
    const int position = FieldPosition(n, s, delims);
    if (position == 0) return QString();
    const qsizetype start = position - 1;
    return s.mid(start, skipField(s, start, delims) - start);
}
