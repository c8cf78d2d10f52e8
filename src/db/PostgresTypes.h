#pragma once

#include <libpq-fe.h>

// The PostgreSQL type OIDs this program tells apart (pg_type's fixed OIDs).
namespace pgtype {
constexpr Oid kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25,
              kOid = 26, kFloat4 = 700, kFloat8 = 701, kMoney = 790, kBpchar = 1042, kVarchar = 1043,
              kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestamptz = 1184, kTimetz = 1266,
              kNumeric = 1700;
}  // namespace pgtype
