#include "common/MessageBoxes.h"

#include "common/Settings.h"
#include "seam/DialogSeam.h"

namespace {

int show(const QString& msg, const QString& caption, platform::BoxIcon icon, platform::BoxButtons buttons,
         int defaultAnswer) {
    platform::MessageBoxRequest request;
    request.text = msg;
    request.caption = caption;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultAnswer = defaultAnswer;
    request.taskModal = true;
    return platform::Dialogs().messageBox(request);
}

}  // namespace

void ShowInfo(const QString& msg) {
    show(msg, InformationCaption, platform::BoxIcon::Information, platform::BoxButtons::Ok, platform::IDOK);
}

void ShowError(const QString& msg) {
    show(msg, ErrorCaption, platform::BoxIcon::Error, platform::BoxButtons::Ok, platform::IDOK);
}

int AskYesNo(const QString& msg) {
    const int answer =
        show(msg, QuestionCaption, platform::BoxIcon::Question, platform::BoxButtons::YesNo, platform::IDYES);
    // A yes/no box has no other answer; a box closed some other way counts as No.
    return answer == platform::IDYES ? platform::IDYES : platform::IDNO;
}
