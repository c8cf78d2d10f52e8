#include "ToolsFixture.h"

#include "db/Database.h"
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

TDatabase* Tools::openDatabase() {
    auto* db = new TDatabase(app_.get());
    db->SetDatabaseName(QStringLiteral("X"));
    db->SetAliasName(QStringLiteral("TEST"));
    db->Open();
    return db;
}

}  // namespace toolstest
