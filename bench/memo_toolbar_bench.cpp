// Runs trim, fill, wrap and Int To Hex of the text-operations window over a script of
// 100,000 lines in the script editor of a shown main window, and compares each with
// the peer: the same operation on a plain QStringList read from a detached editor (one
// never shown) and written back into it. The list operation alone is shown too. Runs
// alternate; the medians are reported.
//
//   memo_toolbar_bench [lines [runs]]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "BenchEnv.h"
#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "rtl/StrUtils.h"
#include "rtl/SysUtils.h"
#include "workbench/MainWindow.h"
#include "workbench/MemoToolbar.h"

namespace {

QStringList scriptLines(int count, bool numbers) {
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << (numbers
                      ? QString::number(i * 37)
                      : QStringLiteral("  INSERT INTO t VALUES (%1, 'name %1', %2);").arg(i).arg(i % 977) +
                            QString(i % 7, QChar(' ')));
    return lines;
}

struct Operation {
    const char* name;
    bool numbers;
    TSpeedButton* TFMemoToolbar::*button;
    std::function<void(QStringList&)> plain;
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/memo-toolbar-XXXXXX"));
    useScratchHome(dir.path());
    BenchApplication bench(argc, argv);

    TApplication app;
    auto* main = app.CreateForm<TFMain>();
    app.CreateForm<TFMemoToolbar>();
    main->Show();
    main->PageControl1->Tabs()->setCurrentWidget(main->TabSheet1->Widget());
    main->BTool->Click();
    FMemoToolbar->ELitPre->SetText(QStringLiteral("'"));
    FMemoToolbar->ELitPost->SetText(QStringLiteral("',"));

    const std::vector<Operation> operations = {
        {"trim", false, &TFMemoToolbar::BTrim,
         [](QStringList& l) {
             for (QString& s : l) s = Trim(s);
         }},
        {"fill", false, &TFMemoToolbar::SpeedButton6,
         [](QStringList& l) {
             qsizetype longest = 0;
             for (const QString& s : l) longest = std::max(longest, s.size());
             for (QString& s : l) s += QString(std::min<qsizetype>(longest - s.size(), 1000), QChar(' '));
         }},
        {"wrap", false, &TFMemoToolbar::SpeedButton2,
         [](QStringList& l) {
             for (QString& s : l) s = QStringLiteral("'") + s + QStringLiteral("',");
         }},
        {"Int To Hex", true, &TFMemoToolbar::SpeedButton12,
         [](QStringList& l) {
             QStringList out;
             out.reserve(l.size());
             for (const QString& s : l) out << Dec2Hex(StrToInt(Trim(s)), 10);
             l = out;
         }},
    };
    std::printf("%d lines, %d runs each, medians\n", count, runs);
    for (const Operation& op : operations) {
        const QStringList lines = scriptLines(count, op.numbers);
        std::vector<double> window, detached, plain;
        QPlainTextEdit editor;
        for (int i = 0; i < runs; ++i) {
            main->EScript->SetText(lines.join(QStringLiteral("\r\n")));
            QApplication::processEvents();
            QElapsedTimer t;
            t.start();
            (FMemoToolbar->*op.button)->Click();
            window.push_back(t.nsecsElapsed() / 1e9);
            editor.setPlainText(lines.join(QChar('\n')));
            t.restart();
            QStringList copy;
            for (QTextBlock b = editor.document()->begin(); b.isValid(); b = b.next()) copy << b.text();
            const qint64 read = t.nsecsElapsed();
            op.plain(copy);
            const qint64 done = t.nsecsElapsed();
            editor.setPlainText(copy.join(QChar('\n')));
            detached.push_back(t.nsecsElapsed() / 1e9);
            plain.push_back((done - read) / 1e9);
        }
        std::printf("%-11s window %.3f s   detached editor %.3f s (ratio %.2fx)   list alone %.3f s\n",
                    op.name, median(window), median(detached), median(window) / median(detached),
                    median(plain));
    }
    return 0;
}
