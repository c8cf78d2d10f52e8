#include "ToolsFixture.h"

#include "framework/Forms.h"
#include "tools/CharASCI.h"
#include "tools/CreateSimpleData.h"
#include "tools/Konwerter.h"

namespace toolstest {

Tools::Tools() {
    start();
}

Tools::~Tools() {
    app_.reset();
}

void Tools::start() {
    app_ = std::make_unique<TApplication>();
    app_->SetTitle(QStringLiteral("Zorvantic"));
    app_->CreateForm<TForm>();
    app_->CreateForm<TFKonwerter>();
    app_->CreateForm<TFCharASCI>();
    app_->CreateForm<TFCreateSimpleData>();
}

void Tools::restart() {
    app_->DestroyComponents();
    app_.reset();
    start();
}

}  // namespace toolstest
