// Long PostgreSQL results come in binary form (copied out, or FETCHed after their first
// rows); the row cache must hold exactly what the text form gives. Each case reads the
// same values twice: once alone (in binary form) and once beside an interval column,
// which keeps the whole result in text form, and compares them value for value.
#include <gtest/gtest.h>

#include <QStringList>

#include "DbTestSupport.h"
#include "db/Aliases.h"
#include "db/Driver.h"
#include "db/RowStore.h"

using dbtest::Backend;
using dbtest::Scratch;

namespace {

std::unique_ptr<RowStore> readAll(SqlConnection& conn, const QString& sql, int columns) {
    auto rows = std::make_unique<RowStore>(columns);
    auto result = conn.OpenQuery(sql);
    while (result->Fetch(*rows, 700)) {
    }
    return rows;
}

// `values`: expressions over the row number i; `rows` of them, enough to pass the first FETCH.
void expectSameInBothForms(const QStringList& values, const QString& from) {
    Scratch s(Backend::Postgres);
    auto conn = ConnectAlias(FindAlias("TEST"), QString(), QString());
    const QString list = values.join(", ");
    const auto binary = readAll(*conn, "SELECT " + list + " FROM " + from, static_cast<int>(values.size()));
    const auto text = readAll(*conn, "SELECT " + list + ", interval '1 day' FROM " + from,
                              static_cast<int>(values.size()) + 1);
    ASSERT_EQ(binary->Count(), text->Count());
    ASSERT_GT(binary->Count(), 1000);
    int differences = 0;
    for (int r = 0; r < binary->Count() && differences < 10; ++r)
        for (int c = 0; c < static_cast<int>(values.size()); ++c) {
            const auto b = binary->Value(r, c), t = text->Value(r, c);
            if (b == t) continue;
            ++differences;
            ADD_FAILURE() << values[c].toStdString() << ", row " << r << ": binary \""
                          << std::string(b.value_or("(null)")) << "\", text \""
                          << std::string(t.value_or("(null)")) << "\"";
        }
}

TEST(PostgresBinaryRows, NumbersOfEverySizeAndScaleReadAsTheirText) {
    expectSameInBothForms(
        {"(i % 65536 - 32768)::int2", "((i::int8 * 2654435761) % 4294967296 - 2147483648)::int4",
         "(i::numeric * 9223372036854775 % 18446744073709551615 - 9223372036854775808)::int8",
         "(i * 7919)::oid",
         "CASE WHEN i % 97 = 0 THEN NULL ELSE ((i * 7919) % 100003 - 50000) / 37.0::float8 * 10 ^ (i % 47 - "
         "23) "
         "END",
         "(((i * 7919) % 100003 - 50000) / 37.0 * 10 ^ (i % 21 - 10))::float4",
         "((i::numeric * 7919) % 1000003 - 500000) / 10 ^ (i % 13)",
         "round(((i * 7919) % 1000003)::numeric / 7, i % 9)", "((i * 31) % 1000003 * 10 ^ (i % 50))::numeric",
         "(i % 1000)::numeric(20, 8)", "((i * 7919) % 100003 / 1e12)::numeric"},
        "generate_series(1, 3000) i");
}

TEST(PostgresBinaryRows, SpecialNumbersReadAsTheirText) {
    expectSameInBothForms(
        {"v.f8", "v.f4", "v.n", "v.i8"},
        "(VALUES ('NaN'::float8, 'NaN'::float4, 'NaN'::numeric, '-9223372036854775808'::int8), "
        "('Infinity', 'Infinity', 'Infinity', 9223372036854775807), "
        "('-Infinity', '-Infinity', '-Infinity', 0), ('-0', '-0', '-0.000', -1), "
        "(1e-310, 1e-40, 0.00000000000000000001, 1), (1.7976931348623157e308, 3.4028235e38, 1e40, 2), "
        "(1e15, 1e6, 100000000000000000000.5, 3), (1e14, 1e5, 0, 4), (1e-5, 1e-5, 0.0001, 5), "
        "(1e-4, 1e-4, 10000, 6), (0.1, 0.1, 9999.9999, 7), (123456789012345678, 1234567, -0.5, 8)) "
        "AS v(f8, f4, n, i8) CROSS JOIN generate_series(1, 120) i");
}

TEST(PostgresBinaryRows, DatesTimesAndStampsOfEveryEraReadAsTheirText) {
    expectSameInBothForms(
        {"date '2000-01-01' + ((i * 7919) % 3000000 - 2400000)",
         "time '00:00' + ((i::int8 * 2654435761) % 86400000000) * interval '1 microsecond'",
         "timestamp '2000-01-01' + ((i::int8 * 2654435761987) % 200000000000000 - 150000000000000) * "
         "interval '1 microsecond'",
         "CASE i % 5 WHEN 0 THEN 'infinity'::date WHEN 1 THEN '-infinity'::date WHEN 2 THEN '4713-01-01 "
         "BC'::date "
         "WHEN 3 THEN '5874897-12-31'::date ELSE '0001-01-01 BC'::date END",
         "CASE i % 4 WHEN 0 THEN 'infinity'::timestamp WHEN 1 THEN '-infinity'::timestamp WHEN 2 THEN "
         "'0044-03-15 12:00:00.000001 BC'::timestamp ELSE '294276-12-31 23:59:59.999999'::timestamp END",
         "CASE i % 3 WHEN 0 THEN '24:00:00'::time WHEN 1 THEN '00:00:00.5'::time ELSE "
         "'23:59:59.999999'::time END"},
        "generate_series(1, 3000) i");
}

TEST(PostgresBinaryRows, TextBytesAndTruthReadAsTheirText) {
    expectSameInBothForms({"'Zażółć ' || i", "('k' || i)::varchar(12)", "('ab' || (i % 7))::char(6)",
                           "('n' || i)::name", "CASE WHEN i % 3 = 0 THEN '' ELSE repeat('ć', i % 50) END",
                           "decode(lpad(to_hex(i * 7919), 8, '0') || '00ff5c27', 'hex')", "i % 2 = 0",
                           "CASE WHEN i % 4 = 0 THEN NULL ELSE i % 3 = 0 END"},
                          "generate_series(1, 3000) i");
}

}  // namespace
