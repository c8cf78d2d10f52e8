#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTest>
#include <iterator>
#include <random>

#include "TestEnv.h"
#include "common/FormConfig.h"
#include "common/Info.h"
#include "common/Settings.h"
#include "db/Aliases.h"
#include "db/DataSource.h"
#include "db/Database.h"
#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/RxCtrls.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "framework/Tabs.h"
#include "platform/Codepage.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

namespace {

const QString kFolder = QStringLiteral("C:\\cfg\\");

template <class T>
T* add(TForm* form, const char* name, int tag = 0) {
    auto* c = new T(form);
    c->SetName(QString::fromLatin1(name));
    c->SetTag(tag);
    if (auto* control = dynamic_cast<TControl*>(c)) control->SetParent(form);
    return c;
}

// A window holding one component of every record kind the framework has.
class TFAll : public TFormConfig {
  public:
    explicit TFAll(TComponent* owner) : TFormConfig(owner) {
        SetName(QStringLiteral("FAll"));
        label = add<TLabel>(this, "LName");
        combo = add<TComboBox>(this, "CBKind");
        combo->Items().Assign(QStringList{"a", "b", "c"});
        lookup = add<TRxDBLookupCombo>(this, "LCEmpty");
        bitBtn = add<TBitBtn>(this, "BitBtn1");
        menuItem = new TMenuItem(this, QStringLiteral("File"));
        menuItem->SetName(QStringLiteral("Plik1"));
        kept = add<TCheckBox>(this, "ChKept", PersistContentTag);
        plain = add<TCheckBox>(this, "ChPlain");
        radio = add<TRadioButton>(this, "RBOne");
        group = add<TGroupBox>(this, "GBox");
        radioGroup = add<TRadioGroup>(this, "RGMode");
        radioGroup->Items().Assign(QStringList{"x", "y"});
        add<TTabbedNotebook>(this, "TabbedNotebook1");
        notebook = add<TNotebook>(this, "Notebook1");
        toolButton = add<TToolButton>(this, "ToolButton1");
        speedButton = add<TSpeedButton>(this, "SpeedButton1");
        auto* pages = add<TPageControl>(this, "PageControl1");
        sheet = new TTabSheet(this, pages);
        sheet->SetName(QStringLiteral("TSPage"));
        tabSet = add<TTabSet>(this, "TabSet1");
        panel = add<TPanel>(this, "Panel1");
        edit = add<TEdit>(this, "EKept", PersistContentTag);
        add<TEdit>(this, "EPlain");
        date = add<TDateEdit>(this, "DEKept", PersistContentTag);
        spin = add<TSpinEdit>(this, "SEKept", PersistContentTag);
        memo = add<TMemo>(this, "MKept", PersistContentTag);
        rxQuery = add<TRxQuery>(this, "RxQuery1");
        holder = add<TStrHolder>(this, "StrHolder1", PersistContentTag);
    }
    TLabel* label;
    TComboBox* combo;
    TRxDBLookupCombo* lookup;
    TBitBtn* bitBtn;
    TMenuItem* menuItem;
    TCheckBox* kept;
    TCheckBox* plain;
    TRadioButton* radio;
    TGroupBox* group;
    TRadioGroup* radioGroup;
    TNotebook* notebook;
    TToolButton* toolButton;
    TSpeedButton* speedButton;
    TTabSheet* sheet;
    TTabSet* tabSet;
    TPanel* panel;
    TEdit* edit;
    TDateEdit* date;
    TSpinEdit* spin;
    TMemo* memo;
    TRxQuery* rxQuery;
    TStrHolder* holder;
};

class FormConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StringsPath = kFolder;
        ProgramCaption = QStringLiteral("Zorvantic (09.01.2002)");
        QDir().mkpath(platform::MapPath(kFolder));
    }
    QString file(const QString& name) const {
        return platform::MapPath(kFolder + "Zorvantic." + name + ".cfg");
    }
    QByteArray bytes(const QString& name) const { return testenv::ReadFile(file(name)); }
    void put(const QString& name, const QByteArray& content) const {
        testenv::WriteFile(file(name), content);
    }
    QStringList lines(const QString& name) const {
        QStringList l = QString::fromLatin1(bytes(name)).split("\r\n");
        EXPECT_EQ(l.takeLast(), "");  // the last line ends with CR LF too
        return l;
    }
    QStringList boxes() const { return testenv::Dialogs().boxTexts(); }
    TApplication app;
};

TEST(ConfigLineReader, LinesEndAtCarriageReturnAndTheFileAtCode26) {
    ConfigLineReader r(QByteArray("one\r\ntwo\rthree\nstill three\r\r\n") + QByteArray(300, 'x') +
                       "\r\nnext\r\n" + QByteArray(300, 'y') + "\r\n\x9c\x1a" + "hidden\r\n");
    EXPECT_EQ(r.ReadLine(), "one");
    EXPECT_EQ(r.ReadLine(), "two");
    EXPECT_EQ(r.ReadLine(), "three\nstill three");
    EXPECT_EQ(r.ReadLine(), "");
    EXPECT_EQ(r.ReadLine(), QString(255, 'x'));  // the rest of the line is skipped
    EXPECT_EQ(r.ReadLine(), "next");
    EXPECT_EQ(r.ReadWholeLine(), QString(300, 'y'));
    EXPECT_EQ(r.ReadLine(), QString::fromUtf8("ś"));
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.ReadLine(), "");  // past the end every line is empty
    EXPECT_EQ(r.ReadWholeLine(), "");
}

TEST_F(FormConfigTest, EveryRecordKindRoundTripsWithoutRunningHandlers) {
    auto* a = app.CreateForm<TFAll>();
    a->SetCaption("Wszystko");
    a->SetHelpFile("C:\\help\\all.hlp");
    a->SetHelpContext(-2147483647);
    a->label->SetCaption("Nazwa:");
    a->combo->SetItemIndex(2);
    a->lookup->SetDisplayEmpty("(brak)");
    a->bitBtn->SetCaption("&Zapisz");
    a->menuItem->SetCaption("Plik");
    a->kept->SetCaption("Stop, \"on\" error");
    a->kept->SetChecked(true);
    a->plain->SetCaption("Zwykły");
    a->radio->SetCaption("Jeden");
    a->group->SetCaption("Grupa");
    a->radioGroup->SetCaption("Tryb");
    a->radioGroup->Items().Assign(QStringList{"pierwszy tryb", "drugi", ""});
    a->radioGroup->SetItemIndex(1);
    a->notebook->Pages().Assign(QStringList{"Strona 1", "Strona2"});
    a->toolButton->SetCaption("Narzędzie");
    a->speedButton->SetCaption("Szybki");
    a->sheet->SetCaption("Karta");
    a->tabSet->Tabs().Assign(QStringList{"A", "B b"});
    a->panel->SetCaption("Panel");
    a->edit->SetText("wpisany tekst");
    a->date->SetDialogTitle("Wybierz datę");
    a->date->SetText("2002.01.09");
    a->spin->SetValue(-42);
    a->memo->Lines().Assign(QStringList{"SELECT *", "  FROM T, \"U\""});
    a->rxQuery->SQL().Assign(QStringList{"SELECT 1"});
    a->holder->Strings().Assign(QStringList{"h1", "h 2"});
    a->label->SetHint("podpowiedź");
    a->label->SetShowHint(true);
    a->SaveFormConfig();

    auto* b = new TFAll(&app);  // a fresh window of the same design
    int handlers = 0;
    b->combo->OnChange = [&](TObject*) { ++handlers; };
    b->kept->OnClick = [&](TObject*) { ++handlers; };
    b->radioGroup->OnClick = [&](TObject*) { ++handlers; };
    b->LoadFormConfig();
    EXPECT_EQ(handlers, 0);
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_EQ(b->Caption(), "Wszystko");
    EXPECT_EQ(b->HelpFile(), "C:\\help\\all.hlp");
    EXPECT_EQ(b->HelpContext(), -2147483647);
    EXPECT_EQ(b->label->Caption(), "Nazwa:");
    EXPECT_EQ(b->combo->ItemIndex(), 2);
    EXPECT_EQ(b->lookup->DisplayEmpty(), "(brak)");
    EXPECT_EQ(b->bitBtn->Caption(), "&Zapisz");
    EXPECT_EQ(b->menuItem->Caption(), "Plik");
    EXPECT_EQ(b->kept->Caption(), "Stop, \"on\" error");
    EXPECT_TRUE(b->kept->Checked());
    EXPECT_EQ(b->plain->Caption(), "Zwykły");
    EXPECT_EQ(b->radio->Caption(), "Jeden");
    EXPECT_EQ(b->group->Caption(), "Grupa");
    EXPECT_EQ(b->radioGroup->Caption(), "Tryb");
    EXPECT_EQ(b->radioGroup->Items().Lines(),
              QStringList({"pierwszy tryb", "drugi"}));  // last empty item lost
    EXPECT_EQ(b->notebook->Pages().ToStringList(), QStringList({"Strona 1", "Strona2"}));
    EXPECT_EQ(b->toolButton->Caption(), "Narzędzie");
    EXPECT_EQ(b->speedButton->Caption(), "Szybki");
    EXPECT_EQ(b->sheet->Caption(), "Karta");
    EXPECT_EQ(b->tabSet->Tabs().ToStringList(), QStringList({"A", "B b"}));
    EXPECT_EQ(b->panel->Caption(), "Panel");
    EXPECT_EQ(b->edit->Text(), "wpisany tekst");
    EXPECT_EQ(b->date->DialogTitle(), "Wybierz datę");
    EXPECT_EQ(b->date->Text(), "2002.01.09");
    EXPECT_EQ(b->spin->Value(), -42);
    EXPECT_EQ(b->memo->Lines().ToStringList(), QStringList({"SELECT *", "  FROM T, \"U\""}));
    EXPECT_EQ(b->rxQuery->SQL().ToStringList(), QStringList{"SELECT 1"});
    EXPECT_EQ(b->holder->Strings().Lines(), QStringList({"h1", "h 2"}));
    EXPECT_TRUE(b->label->ShowHint());
    EXPECT_EQ(b->label->Hint(), "podpowiedź");

    // The type lines, in the order of the owned components; unmarked edits have none.
    const QStringList expected =
        QStringLiteral(
            "TPanel TButton\\TBitBtn TLabel TComboBox TRxDBLookupCombo TButton\\TBitBtn TMenuItem "
            "TCheckBoxWithChecked TCheckBox TRadioButton TGroupBox TRadioGroup TTabbedNoteBook "
            "TNotebook TToolButton TSpeedButton TTabSheet TTabSet TPanel TEdit TDateEditWithTEXT "
            "TSpinEdit TMemoLines TRxQuerySQL TStrHolderLines")
            .split(' ');
    QStringList types;
    const QStringList l = lines("FAll");
    for (qsizetype i = 8; i + 1 < l.size(); ++i)
        if (expected.contains(l[i]) && a->FindComponent(l[i + 1]) != nullptr) types << l[i];
    EXPECT_EQ(types, expected);
}

TEST_F(FormConfigTest, CheckStateReadsFalseOnlyForExactlyN) {
    auto* a = app.CreateForm<TFAll>();
    a->kept->SetChecked(true);
    a->SaveFormConfig();
    QStringList l = lines("FAll");
    const qsizetype at = l.indexOf("ChKept");
    ASSERT_GT(at, 0);
    EXPECT_EQ(l[at - 1], "TCheckBoxWithChecked");
    EXPECT_EQ(l[at + 2], "T");
    for (const char* stored : {"N", "n", "F", ""}) {
        l[at + 2] = stored;
        put("FAll", (l.join("\r\n") + "\r\n").toLatin1());
        a->LoadFormConfig();
        EXPECT_EQ(a->kept->Checked(), QByteArray(stored) != "N") << stored;
    }
}

TEST_F(FormConfigTest, MaximizedWindowWritesMinusOneAndReadingKeepsTheSize) {
    auto* a = app.CreateForm<TFAll>();
    a->SetPlacement(QRect(30, 40, 500, 280));
    a->SetWindowState(TWindowState::wsMaximized);
    a->SaveFormConfig();
    const QStringList l = lines("FAll");
    EXPECT_EQ(l.mid(0, 8), QStringList({"wsMaximized", "FormConfig", "30", "40", "-1", "-1", "", "0"}));

    auto* b = new TFAll(&app);
    b->SetPlacement(QRect(0, 0, 321, 123));
    b->LoadFormConfig();
    EXPECT_EQ(b->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(b->Placement(), QRect(30, 40, 321, 123));
}

TEST_F(FormConfigTest, LongTextsAreCutOnReadingListsAreNot) {
    auto* a = app.CreateForm<TFAll>();
    a->label->SetCaption(QString(300, 'c'));
    a->memo->Lines().Assign(QStringList{QString(300, 'm')});
    a->SaveFormConfig();
    EXPECT_TRUE(lines("FAll").contains(QString(300, 'c')));  // written whole
    auto* b = new TFAll(&app);
    b->LoadFormConfig();
    EXPECT_EQ(b->label->Caption(), QString(255, 'c'));
    EXPECT_EQ(b->memo->Lines().ToStringList(), QStringList{QString(300, 'm')});
    EXPECT_EQ(b->panel->Caption(), a->panel->Caption());  // still in step after the cut line
}

TEST_F(FormConfigTest, ALineBreakInAValueOrAChangedNameStopsReadingSilently) {
    auto* a = app.CreateForm<TFAll>();
    a->label->SetCaption("first\r\nsecond");
    a->panel->SetCaption("not reached");
    a->SaveFormConfig();
    auto* b = new TFAll(&app);
    b->LoadFormConfig();
    EXPECT_EQ(b->label->Caption(), "first");
    EXPECT_EQ(b->panel->Caption(), "");
    EXPECT_TRUE(boxes().isEmpty());

    // A component renamed since the file was written: what came before stays applied.
    a->label->SetCaption("Nazwa");
    a->SetCaption("Zmieniony");
    a->SaveFormConfig();
    b->combo->SetName("CBRenamed");
    b->LoadFormConfig();
    EXPECT_EQ(b->Caption(), "Zmieniony");
    EXPECT_EQ(b->label->Caption(), "Nazwa");
    EXPECT_EQ(b->lookup->DisplayEmpty(), "");
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(FormConfigTest, DamagedFilesNameTheRecordAndKeepWhatWasRead) {
    auto* a = app.CreateForm<TFAll>();
    a->SaveFormConfig();
    const QStringList good = lines("FAll");
    struct Case {
        QByteArray content;
        QString object;
    };
    QStringList helpContext = good;
    helpContext[7] = "-2147483648";
    QStringList spin = good;
    spin[spin.indexOf("SEKept") + 1] = "12x";
    QStringList shortFile = good.mid(0, good.indexOf("CBKind") + 1);  // ends before the item index
    const std::vector<Case> cases = {
        {(helpContext.join("\r\n") + "\r\n").toLatin1(), "FAll"},
        {(spin.join("\r\n") + "\r\n").toLatin1(), "SEKept"},
        {(shortFile.join("\r\n") + "\r\n").toLatin1(), "CBKind"},
        {"wsNormal\r\nGarbage\r\n\x81\xff\r\nx", "FAll"},
    };
    for (const Case& c : cases) {
        testenv::Dialogs().clear();
        put("FAll", c.content);
        a->LoadFormConfig();
        EXPECT_EQ(boxes(),
                  QStringList{"Plik konfiguracyjny C:\\cfg\\Zorvantic.FAll.cfg jest uszkodzony. Plik "
                              "zostanie zastąpiony poprawnym plikiem konfiguracyjnym. (Obiekt=" +
                              c.object + ")"});
    }
    // An empty file: maximized, caption emptied, then damage at the left position.
    a->SetWindowState(TWindowState::wsNormal);
    testenv::Dialogs().clear();
    put("FAll", "");
    a->LoadFormConfig();
    EXPECT_EQ(a->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(a->Caption(), "");
    EXPECT_EQ(boxes().size(), 1);
}

TEST_F(FormConfigTest, GridKeepsTitlesOfItsColumnsAndDropsTheRest) {
    testenv::WriteFile(AliasFilePath(),
                       "[M]\nTYPE=SQLITE\nPATH=" + (testenv::Root() + "/m.db").toUtf8() + "\n");
    auto* a = app.CreateForm<TFAll>();
    auto* db = new TDatabase(a);  // owned by the window, so gone after the grid
    db->SetDatabaseName("X");
    db->SetAliasName("M");
    auto* query = new TQuery(a);
    query->SetDatabaseName("X");
    auto* source = new TDataSource(a);
    source->SetDataSet(query);
    auto* grid = add<TDBGrid>(a, "DBGrid1");
    grid->SetDataSource(source);
    auto* after = add<TLabel>(a, "LAfter");
    query->SQL().Add("SELECT 1 AS A, 2 AS B, 3 AS C");
    query->Open();
    ASSERT_EQ(grid->ColumnCount(), 3);
    a->SaveFormConfig();
    QStringList l = lines("FAll");
    const qsizetype at = l.indexOf("DBGrid1");
    EXPECT_EQ(l.mid(at + 1, 4), QStringList({"3", "A", "B", "C"}));
    l.replace(at + 1, "5");
    for (int i = 0; i < 3; ++i) l.removeAt(at + 2);
    const QStringList titles{"Pierwsza", "Druga", "Trzecia", "Czwarta", "Piąta"};
    for (qsizetype i = 0; i < titles.size(); ++i) l.insert(at + 2 + i, titles[i]);
    l[l.indexOf("LAfter") + 1] = "po siatce";
    put("FAll", platform::ToCp1250(l.join("\r\n") + "\r\n"));
    a->LoadFormConfig();
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_EQ(grid->Columns(2).Title.Caption, "Trzecia");
    EXPECT_EQ(grid->View()->model()->headerData(0, Qt::Horizontal).toString(), "Pierwsza");
    EXPECT_EQ(after->Caption(), "po siatce");

    grid->SetTag(SkipGridTitlesTag);
    a->SaveFormConfig();
    EXPECT_FALSE(lines("FAll").contains("TDBGrid"));
}

TEST_F(FormConfigTest, RestoreIgnoresTheFileOnceAndOnlyInThatSpelling) {
    auto* a = app.CreateForm<TFAll>();
    a->label->SetCaption("z pliku");
    a->SaveFormConfig();
    WriteSetting("FAll", "RESTORE");
    EXPECT_EQ(app.CreateForm<TFAll>()->label->Caption(), "z pliku");
    WriteSetting("FAll", "Restore");
    EXPECT_EQ(app.CreateForm<TFAll>()->label->Caption(), "");  // design value
    EXPECT_EQ(ReadSetting("FAll"), "");
    EXPECT_EQ(app.CreateForm<TFAll>()->label->Caption(), "z pliku");
}

TEST_F(FormConfigTest, AFailedWriteIsReportedAndKeepsTheOldFileWhole) {
    auto* a = app.CreateForm<TFAll>();
    a->label->SetCaption("ręcznie poprawione");
    a->SaveFormConfig();
    const QByteArray before = bytes("FAll");
    a->label->SetCaption(QString::fromUtf8("Жук"));
    a->Show();
    a->Close();  // the error box comes up and the window still closes
    EXPECT_FALSE(a->Visible());
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes()[0].contains(QString::fromUtf8("Ж"))) << boxes()[0].toStdString();
    EXPECT_EQ(bytes("FAll"), before);

    StringsPath = "C:\\missing\\";
    a->label->SetCaption("ok");
    EXPECT_THROW(a->SaveFormConfig(), EInOutError);
}

TEST_F(FormConfigTest, SettingsButtonWritesOpensWaitsAndReadsTheHandEditBack) {
    auto* a = app.CreateForm<TFAll>();
    a->label->SetCaption("przed");
    a->Show();
    QStringList opened;
    platform::SetCommandRunner([&](const platform::ProcessRequest& r) {
        opened = r.arguments;
        // The user edits the file while the confirmation box is up.
        QStringList l = lines("FAll");
        l[l.indexOf("LName") + 1] = "po edycji";
        put("FAll", (l.join("\r\n") + "\r\n").toLatin1());
        return true;
    });
    QTest::mouseClick(a->BUstawieniaFormularza->Widget(), Qt::LeftButton);
    platform::SetCommandRunner(nullptr);
    EXPECT_EQ(opened, QStringList{file("FAll")});
    EXPECT_EQ(boxes(), QStringList{"Edycja pliku konfiguracyjnego została zakończona"});
    EXPECT_EQ(a->label->Caption(), "po edycji");
}

TEST_F(FormConfigTest, SettingsButtonWhoseEditorCannotStartSaysSoAndAsksNothing) {
    auto* a = app.CreateForm<TFAll>();
    a->Show();
    platform::SetCommandRunner([](const platform::ProcessRequest&) -> bool {
        throw EInOutError("no program is set up to open files of this kind");
    });
    QTest::mouseClick(a->BUstawieniaFormularza->Widget(), Qt::LeftButton);
    platform::SetCommandRunner(nullptr);
    // The error names the file; no confirmation of an edit that never happened follows.
    EXPECT_EQ(boxes(), QStringList{"Cannot open file \"" + kFolder +
                                   "Zorvantic.FAll.cfg\": no program is set up to open files of this kind."});
    EXPECT_EQ(testenv::Dialogs().boxes.at(0).icon, platform::BoxIcon::Error);
}

TEST_F(FormConfigTest, AboutBoxWritesItsDesignAtCloseAndShowsTheProgramCaption) {
    auto* info = app.CreateForm<TFInfo>();
    EXPECT_FALSE(QFile::exists(file("FInfo")));
    testenv::Dialogs().onModal = [&](QWidget*, const QString&) {
        EXPECT_EQ(info->Status->Caption(), "Zorvantic (09.01.2002)     ");
        info->BOK->Click();
        return int(mrOk);
    };
    info->ShowModal();
    const QRect r = info->Placement();
    // A component's own record, then its control record (hint shown, hint).
    const auto record = [](const char* type, const char* name, const QString& value,
                           const QString& hint = {}) {
        return QStringList{type, name, value, "TControl", name, "N", hint};
    };
    const QStringList header{"wsNormal",
                             "Zorvantic - informacje",
                             QString::number(r.left()),
                             QString::number(r.top()),
                             "504",
                             "401",
                             "",
                             "0"};
    const QString expected =
        (header + record("TPanel", "Status", "Zorvantic (09.01.2002)     ") +
         record("TButton\\TBitBtn", "BUstawieniaFormularza", "",
                "Zmień ustawienia konfiguracyjne formularza (zaawansowane)") +
         QStringList{"TControl", "Image1", "N", ""} + record("TLabel", "LTekst", "Krótka instrukcja:") +
         record("TLabel", "LProgram", "Zorvantic") +
         record("TLabel", "LAutorzy", "Autorzy: zespół Morvane, 1999 - 2002") +
         record("TButton\\TBitBtn", "BOK", "OK") +
         record("TMemoLines", "Memo1", info->Memo1->Lines().CommaText()) +
         QStringList{"TControl", "MLICENCJA", "N", ""} +
         record("TLabel", "Label1",
                "Lipiec 2000 - moduł Multifileexport, ParamStr=UserName, Password, Alias"))
            .join("\r\n") +
        "\r\n";
    EXPECT_EQ(bytes("FInfo"), platform::ToCp1250(expected));
    EXPECT_EQ(info->MLICENCJA->Lines().Count(), 26);
    EXPECT_EQ(
        info->MLICENCJA->Lines()[6],
        QString::fromUtf8("   a) linia zaczynająca się od \"REM\",\"PROMPT\" ,\";\",\"--\",\"//\" nie "));

    // A hand edit of the program's name shows at the next creation.
    QStringList l = lines("FInfo");
    l[l.indexOf("LProgram") + 1] = "Zorvantic 2";
    put("FInfo", (l.join("\r\n") + "\r\n").toLatin1());
    delete info;
    EXPECT_EQ(app.CreateForm<TFInfo>()->LProgram->Caption(), "Zorvantic 2");
}

TEST_F(FormConfigTest, AFixedSizeWindowTakesItsStoredSizeAndStillCannotBeDragged) {
    auto* info = app.CreateForm<TFInfo>();
    testenv::Dialogs().onModal = [](QWidget*, const QString&) { return int(mrOk); };
    info->ShowModal();
    QStringList l = lines("FInfo");
    ASSERT_EQ(l.mid(4, 2), QStringList({"504", "401"}));
    l[2] = "40";
    l[3] = "50";
    l[4] = "600";
    l[5] = "450";
    put("FInfo", (l.join("\r\n") + "\r\n").toLatin1());
    delete info;

    info = app.CreateForm<TFInfo>();
    EXPECT_EQ(info->Placement(), QRect(40, 50, 600, 450));
    QSize shown;
    testenv::Dialogs().onModal = [&](QWidget* w, const QString&) {
        shown = w->size();
        return int(mrOk);
    };
    info->ShowModal();
    EXPECT_EQ(shown, QSize(600, 450));
    // The border still holds the size: the smallest and the largest size are the same.
    EXPECT_EQ(info->Widget()->minimumSize(), QSize(600, 450));
    EXPECT_EQ(info->Widget()->maximumSize(), QSize(600, 450));
    EXPECT_EQ(lines("FInfo").mid(4, 2), QStringList({"600", "450"}));  // kept at the next close
}

TEST_F(FormConfigTest, HandEditedGarbageNeverCrashesAndEndsInOneOfTheThreeOutcomes) {
    auto* a = app.CreateForm<TFAll>();
    a->SaveFormConfig();
    const QByteArray good = bytes("FAll");
    std::mt19937 random(20020109);
    const QByteArray pieces[] = {
        "\r", "\n", "\r\n", "\x1a", "-2147483648",  "2147483647",          "99999999999",
        "\"", ",",  "N",    "",     "\x81\xff\x00", QByteArray(70000, 'z')};
    for (int round = 0; round < 300; ++round) {
        QByteArray mutated = good;
        for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
            const qsizetype at = qsizetype(random() % (mutated.size() + 1));
            const QByteArray& piece = pieces[random() % std::size(pieces)];
            if (random() % 2)
                mutated.insert(at, piece);
            else
                mutated.replace(at, qsizetype(random() % 40), piece);
        }
        auto* b = new TFAll(&app);
        const FormConfigOutcome outcome = ApplyFormConfig(*b, mutated);
        EXPECT_TRUE(outcome.kind != FormConfigOutcome::Damaged ||
                    b->FindComponent(outcome.object) != nullptr || outcome.object == "FAll");
        delete b;
    }
}

}  // namespace
