#include "framework/MemoEdit.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "framework/StdCtrls.h"

void ReplaceMemoLines(TMemo* memo, const QStringList& lines) {
    QTextDocument* d = memo->Editor()->document();
    const bool endedWithBreak = d->blockCount() > 1 && d->lastBlock().text().isEmpty();
    QString text = lines.join(QChar('\n'));
    if (!lines.isEmpty() && (endedWithBreak || lines.last().isEmpty())) text += QChar('\n');
    QTextCursor c(d);
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.insertText(text);
    c.endEditBlock();
}
