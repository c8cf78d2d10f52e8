#include "tools/FilenameEdit.h"

#include <QAction>
#include <QStyle>

#include "framework/Dispatch.h"
#include "seam/DialogSeam.h"

TFilenameEdit::TFilenameEdit(TComponent* owner) : TEdit(owner) {
    auto* browse = LineEdit()->addAction(StandardGlyph(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("Browse"));
    browse->setToolTip(QStringLiteral("..."));
    QObject::connect(browse, &QAction::triggered, LineEdit(), [this] { Dispatch([this] { Browse(); }); });
}

void TFilenameEdit::Browse() {
    platform::FileDialogRequest request;
    request.fileName = Text();
    request.filter = QStringLiteral("*.*|*.*");
    if (const auto chosen = platform::Dialogs().openFile(request)) SetText(*chosen);
}
