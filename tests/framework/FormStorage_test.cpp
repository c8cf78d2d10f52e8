#include <gtest/gtest.h>

#include <map>

#include "TestEnv.h"
#include "framework/Application.h"
#include "framework/FormStorage.h"
#include "framework/StdCtrls.h"
#include "framework/StorageBackends.h"
#include "platform/Registry.h"

namespace {

struct MemoryBackend : StorageBackend {
    std::map<QString, QString>& values;
    explicit MemoryBackend(std::map<QString, QString>& v) : values(v) {}
    bool Read(const QString& name, QString& value) override {
        auto it = values.find(name);
        if (it == values.end()) return false;
        value = it->second;
        return true;
    }
    void Write(const QString& name, const QString& value) override { values[name] = value; }
};

struct StoredForm {
    TForm* form;
    TEdit* user;
    TMemo* notes;
    TCheckBox* stop;
    TFormStorage* storage;
    StoredForm(TApplication& app, std::map<QString, QString>& values) {
        form = app.CreateForm<TForm>();
        storage = new TFormStorage(form);
        storage->SetBackend(std::make_unique<MemoryBackend>(values));
        storage->StoredProps().Assign(QStringList{"EUserName.Text", "N.Lines", "ChStopOnError.Checked"});
        user = new TEdit(form);
        user->SetName("EUserName");
        notes = new TMemo(form);
        notes->SetName("N");
        stop = new TCheckBox(form);
        stop->SetName("ChStopOnError");
        stop->SetChecked(true);
    }
};

TEST(FormStorage, NeverShownWindowWritesNothing) {
    std::map<QString, QString> values;
    {
        TApplication app;
        StoredForm f(app, values);
        f.form->Close();
    }
    EXPECT_TRUE(values.empty());
}

TEST(FormStorage, RestoresTrimmedTextsOnHiddenToShownOnly) {
    std::map<QString, QString> values{{"EUserName.Text", "  scott\t"}, {"ChStopOnError.Checked", "0"}};
    TApplication app;
    StoredForm f(app, values);
    f.form->Show();
    EXPECT_EQ(f.user->Text(), "scott");
    EXPECT_FALSE(f.stop->Checked());
    f.user->SetText("typed");
    f.form->Show();  // already visible: nothing comes back
    EXPECT_EQ(f.user->Text(), "typed");
}

TEST(FormStorage, SavesWhenAskedToCloseAndAtDestructionIfNotSavedSince) {
    std::map<QString, QString> values;
    {
        TApplication app;
        app.CreateForm<TForm>();  // main form
        StoredForm f(app, values);
        f.form->OnClose = [](TObject*, TCloseAction& a) { a = TCloseAction::caNone; };
        f.form->Show();
        f.user->SetText("adam");
        f.notes->Lines().Add("  indented line");
        f.form->Close();  // cancelled, but already saved
        EXPECT_EQ(values["EUserName.Text"], "adam");
        f.user->SetText("later");
        values.clear();
        f.form->Close();
        EXPECT_EQ(values["EUserName.Text"], "later");
        f.user->SetText("not saved: nothing restored since the last save");
    }
    EXPECT_EQ(values["EUserName.Text"], "later");
    {
        TApplication app;
        StoredForm f(app, values);
        f.form->Show();
        EXPECT_EQ(f.notes->Lines().ToStringList(), QStringList({"  indented line"}));
        f.user->SetText("at exit");
    }
    EXPECT_EQ(values["EUserName.Text"], "at exit");
}

// A value stored with another type is reported once, does not stop the other values
// from coming back, and is replaced by the next save so the next start is clean.
TEST(FormStorage, WronglyTypedValueIsReportedOnceAndReplacedOnSave) {
    testenv::WriteFile(platform::HiveFileName(platform::RootKey::CurrentUser),
                       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Morvane\\T]\n"
                       "\"EUserName.Text\"=dword:00000001\n\"ChStopOnError.Checked\"=\"0\"\n");
    std::map<QString, QString> unused;
    for (const QString& expectedBox : {QStringLiteral("Invalid data type for 'EUserName.Text'"), QString()}) {
        testenv::Dialogs().clear();
        TApplication app;
        StoredForm f(app, unused);
        f.storage->SetBackend(RegistryStorage(QStringLiteral("Software\\Morvane\\T")));
        f.form->Show();
        EXPECT_EQ(testenv::Dialogs().boxTexts(),
                  expectedBox.isEmpty() ? QStringList() : QStringList{expectedBox});
        EXPECT_FALSE(f.stop->Checked());
        if (!expectedBox.isEmpty())
            f.user->SetText("adam");
        else
            EXPECT_EQ(f.user->Text(), "adam");
        f.form->Close();
    }
}

// The placement is stored values like the others: one of another type is reported
// once, the rest of the placement and every property still come back, and the close
// saves as usual, replacing it.
TEST(FormStorage, WronglyTypedPlacementValueKeepsTheRestAndIsReplacedOnSave) {
    testenv::WriteFile(platform::HiveFileName(platform::RootKey::CurrentUser),
                       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Morvane\\T]\n"
                       "\"WindowState\"=dword:00000002\n\"Left\"=\"11\"\n\"Top\"=\"12\"\n\"Width\"=\"300\"\n"
                       "\"Height\"=\"200\"\n\"EUserName.Text\"=\"scott\"\n\"ChStopOnError.Checked\"=\"0\"\n");
    std::map<QString, QString> unused;
    for (const QString& expectedBox : {QStringLiteral("Invalid data type for 'WindowState'"), QString()}) {
        testenv::Dialogs().clear();
        TApplication app;
        StoredForm f(app, unused);
        f.storage->SetBackend(RegistryStorage(QStringLiteral("Software\\Morvane\\T")));
        f.form->Show();
        EXPECT_EQ(testenv::Dialogs().boxTexts(),
                  expectedBox.isEmpty() ? QStringList() : QStringList{expectedBox});
        EXPECT_EQ(f.user->Text(), "scott");
        EXPECT_FALSE(f.stop->Checked());
        EXPECT_EQ(f.form->Placement().size(), QSize(300, 200));
        f.user->SetText("scott");
        f.form->Close();
    }
    platform::TRegistry reg(platform::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Morvane\\T", false));
    EXPECT_EQ(reg.ReadString("WindowState"), "wsNormal");
}

}  // namespace
