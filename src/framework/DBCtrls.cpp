#include "framework/DBCtrls.h"

#include <QHBoxLayout>
#include <QStyle>

#include "db/DataSource.h"
#include "framework/Dispatch.h"
#include "seam/DialogSeam.h"

namespace {

struct ButtonLook {
    const char* name;
    const char* hint;
    QStyle::StandardPixmap icon;
};

const ButtonLook kButtons[] = {
    {"First", "First record", QStyle::SP_MediaSkipBackward},
    {"Prior", "Prior record", QStyle::SP_MediaSeekBackward},
    {"Next", "Next record", QStyle::SP_MediaSeekForward},
    {"Last", "Last record", QStyle::SP_MediaSkipForward},
    {"Insert", "Insert record", QStyle::SP_FileDialogNewFolder},
    {"Delete", "Delete record", QStyle::SP_TrashIcon},
    {"Edit", "Edit record", QStyle::SP_FileDialogDetailedView},
    {"Post", "Post edit", QStyle::SP_DialogApplyButton},
    {"Cancel", "Cancel edit", QStyle::SP_DialogCancelButton},
};

}  // namespace

TDBNavigator::TDBNavigator(TComponent* owner) : TWinControl(owner, new QWidget) {
    auto* layout = new QHBoxLayout(Widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* b = new QToolButton(Widget());
        b->setObjectName(QStringLiteral("Navigator") + QLatin1String(kButtons[i].name));
        b->setAccessibleName(QLatin1String(kButtons[i].name));
        b->setToolTip(QLatin1String(kButtons[i].hint));
        b->setIcon(Widget()->style()->standardIcon(kButtons[i].icon));
        layout->addWidget(b);
        buttons_[i] = b;
        const auto which = static_cast<TNavigateBtn>(i);
        QObject::connect(b, &QToolButton::clicked, b,
                         [this, which] { Dispatch([this, which] { BtnClick(which); }); });
    }
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    TDataSet* ds = source_ != nullptr ? source_->DataSet() : nullptr;
    if (ds == nullptr || !ds->Active()) return;
    switch (button) {
        case TNavigateBtn::nbFirst:
            ds->First();
            break;
        case TNavigateBtn::nbPrior:
            ds->Prior();
            break;
        case TNavigateBtn::nbNext:
            ds->Next();
            break;
        case TNavigateBtn::nbLast:
            ds->Last();
            break;
        case TNavigateBtn::nbInsert:
            ds->Insert();
            break;
        case TNavigateBtn::nbEdit:
            ds->Edit();
            break;
        case TNavigateBtn::nbPost:
            ds->Post();
            break;
        case TNavigateBtn::nbCancel:
            ds->Cancel();
            break;
        case TNavigateBtn::nbDelete: {
            if (ds->IsEmpty()) return;
            platform::MessageBoxRequest r;
            r.text = QStringLiteral("Delete record?");
            r.icon = platform::BoxIcon::Question;
            r.buttons = platform::BoxButtons::YesNo;
            r.defaultAnswer = platform::IDYES;
            if (platform::Dialogs().messageBox(r) == platform::IDYES) ds->Delete();
            break;
        }
    }
}
