#include "WorkbenchFixture.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QTest>

#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/StdCtrls.h"
#include "rtl/Exception.h"

namespace wbtest {

Workbench::Workbench(Backend backend) : alias_(backend) {
    app_ = std::make_unique<TApplication>();
    app_->SetTitle(QStringLiteral("Zorvantic"));
    main_ = app_->CreateForm<TFMain>();
}

Workbench::~Workbench() {
    other_.reset();
    app_.reset();
}

void Workbench::show() {
    main_->Show();
}

void Workbench::selectAlias() {
    const int i = main_->DatabaseName->Items().IndexOf(QStringLiteral("TEST"));
    ASSERT_GE(i, 0) << "alias TEST not listed";
    main_->DatabaseName->SetItemIndex(i);
}

void Workbench::connect() {
    show();
    selectAlias();
    main_->BConnectClick(main_);
    ASSERT_TRUE(main_->Database->Connected());
}

void Workbench::seed(const QString& sql) {
    if (!other_) {
        other_ = std::make_unique<TComponent>();
        auto* db = new TDatabase(other_.get());
        db->SetDatabaseName(QStringLiteral("SEED"));
        db->SetAliasName(QStringLiteral("TEST"));
        db->Open();
    }
    TQuery q;
    q.SetDatabaseName(QStringLiteral("SEED"));
    q.SQL().Add(sql);
    q.ExecSQL();
}

QString Workbench::scalar(const QString& sql) {
    seed(QStringLiteral("SELECT 1"));  // makes sure the other connection exists
    TQuery q;
    q.SetDatabaseName(QStringLiteral("SEED"));
    q.SQL().Add(sql);
    q.Open();
    return q.Fields(0)->AsString();
}

void Workbench::openMain(const QString& sql) {
    main_->MainQuery->SQL().Clear();
    main_->MainQuery->SQL().Add(sql);
    main_->MainQuery->Open();
}

void Workbench::execMain(const QString& sql) {
    main_->MainQuery->SQL().Clear();
    main_->MainQuery->SQL().Add(sql);
    main_->MainQuery->ExecSQL();
}

void Workbench::click(const QString& buttonName) {
    auto* button = main_->Widget()->findChild<QAbstractButton*>(buttonName);
    ASSERT_NE(button, nullptr) << "no button " << buttonName.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace wbtest
