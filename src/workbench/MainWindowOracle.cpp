// The "Oracle" page: three cache hit ratios read from the V$ views.
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/ControlPlacement.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

namespace {

const QString kDirectCoefficient = QStringLiteral(
    " SELECT(SUM(DECODE(NAME,'consistent gets',VALUE,0))+SUM(DECODE(NAME,'db block gets',VALUE,0))"
    "-SUM(DECODE(NAME,'physical reads',VALUE,0)))/(SUM(DECODE(NAME,'consistent gets',VALUE,0))"
    "+(SUM(DECODE(NAME,'db block gets',VALUE,0)))*100) \"Hit Ratio\"FROM V$SYSSTAT");
const QString kCacheDirectCoefficient =
    QStringLiteral("SELECT SUM(PINS) / (SUM( PINS) + SUM(RELOADS)*100) FROM V$LIBRARYCACHE");
const QString kCacheDictionaryDirectCoefficient =
    QStringLiteral("SELECT (1 - (SUM(GETMISSES)/SUM(COUNT)))*100 FROM V$ROWCACHE");

}  // namespace

void TFMain::buildOraclePage() {
    struct Row {
        const char* label;
        const char* edit;
        const char* advice;
        TEdit** target;
    };
    const Row rows[] = {
        {"Direct Coefficient:", "DirectCoefficient", "Dla wartości <70% należy zwiększyć DB_BLOCK_BUFFER",
         &DirectCoefficient},
        {"Cache Direct Coefficient:", "CacheDirectCoefficient",
         "Dla wartości <95% należy zwiększyć SHARED_POOL_SIZE", &CacheDirectCoefficient},
        {"Cache Dictionary Direct Coefficient", "CacheDictionaryDirectCoefficient",
         "Dla wartości <95% należy zwiększyć SHARED_POOL_SIZE", &CacheDictionaryDirectCoefficient},
    };
    for (int i = 0; i < 3; ++i) {
        const int top = 10 + 30 * i;
        Place<TLabel>(this, TSOracle, QStringLiteral("LOracle%1").arg(i).toLatin1().constData(), 8, top + 4,
                      230, 16, QString::fromUtf8(rows[i].label));
        *rows[i].target = Place<TEdit>(this, TSOracle, rows[i].edit, 240, top, 120, 23);
        Place<TLabel>(this, TSOracle, QStringLiteral("LAdvice%1").arg(i).toLatin1().constData(), 370, top + 4,
                      400, 16, QString::fromUtf8(rows[i].advice));
    }
    BitBtn1 = Place<TButton>(this, TSOracle, "BitBtn1", 240, 104, 90, 25, QStringLiteral("Refresh"));
    BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
    Memo1 = Place<TMemo>(this, TSOracle, "Memo1", 8, 140, 760, 300);
}

QString TFMain::QueryScalar(const QString& sql) {
    MainQuery->SQL().Clear();
    MainQuery->SQL().Add(sql);
    MainQuery->Open();
    return MainQuery->Fields(0)->AsString();
}

void TFMain::BitBtn1Click(TObject*) {
    DirectCoefficient->SetText(QueryScalar(kDirectCoefficient));
    CacheDirectCoefficient->SetText(QueryScalar(kCacheDirectCoefficient));
    CacheDictionaryDirectCoefficient->SetText(QueryScalar(kCacheDictionaryDirectCoefficient));
}
