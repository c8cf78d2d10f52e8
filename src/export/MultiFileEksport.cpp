// The multi-file export's behaviour: refreshing its query and splitting the rows into
// files and folders.
#include "export/MultiFileEksport.h"

#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "db/Field.h"
#include "db/Query.h"
#include "export/EncodedLine.h"
#include "export/ExportFile.h"
#include "framework/Application.h"
#include "framework/BusyCursor.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

TFMultiFileEksport* FMultiFileEksport = nullptr;

namespace {

// Group and file values are held cut to this length.
constexpr qsizetype kHeldLength = 255;

// Shows the file-name text of every row in the status bar. The bar is painted at once
// when its text changes, but not more often than the eye can follow, so that a file
// name that changes on every row does not cost a repaint a row.
class RowStatus {
  public:
    explicit RowStatus(TStatusBar* bar) : bar_(bar) {}
    ~RowStatus() {
        if (pending_) bar_->Repaint();
    }
    void Show(const QString& text) {
        if (text == shown_ && !shown_.isNull()) return;
        shown_ = text;
        bar_->SetSimpleText(text);
        pending_ = true;
        if (!sincePaint_.isValid() || sincePaint_.elapsed() >= 40) {
            bar_->Repaint();
            sincePaint_.start();
            pending_ = false;
        }
    }

  private:
    TStatusBar* bar_;
    QString shown_;
    QElapsedTimer sincePaint_;
    bool pending_ = false;
};

// Tells whether a field's stored value differs from the one it had when last asked,
// without turning it into text: runs of equal values are the normal case, so the text
// is made only where the value changes.
class ValueWatch {
  public:
    void Watch(TField* field) { field_ = field; }
    bool Changed() {
        const auto raw = field_->DataSet()->CurrentValue(field_->Index());
        const bool isNull = !raw.has_value();
        if (seen_ && isNull == null_ && (isNull || std::string_view(last_.constData(), last_.size()) == *raw))
            return false;
        seen_ = true;
        null_ = isNull;
        if (!isNull) last_ = QByteArray(raw->data(), static_cast<qsizetype>(raw->size()));
        return true;
    }

  private:
    TField* field_ = nullptr;
    QByteArray last_;
    bool null_ = false;
    bool seen_ = false;
};

// One export run: the open target file and the values that started it.
class MultiFileRun {
  public:
    MultiFileRun(TFMultiFileEksport& form, TDataSet& rows)
        : form_(form),
          rows_(rows),
          separator_(form.ESep->Text()),
          quoted_(!form.EDelimiter->Text().isEmpty()),
          quote_(quoted_ ? form.EDelimiter->Text().at(0) : QChar()),
          status_(form.StatusBar) {}

    void Run() {
        rows_.First();
        startTarget();
        while (!rows_.Eof()) {
            if (fileWatch_.Changed()) status_.Show(file_->AsString());
            writeRow();
            rows_.Next();
            if (!rows_.Eof() && groupWatch_.Changed() && group_->AsString().left(kHeldLength) != heldGroup_) {
                closeTarget();
                startTarget();
            }
        }
        closeTarget();
    }

  private:
    void startTarget() {
        if (group_ == nullptr) {
            group_ = rows_.FieldByName(form_.EGROUP->Text());
            file_ = rows_.FieldByName(form_.EFILE->Text());
            folder_ = rows_.FieldByName(form_.EFOLDER->Text());
            groupWatch_.Watch(group_);
            fileWatch_.Watch(file_);
        }
        groupWatch_.Changed();
        heldGroup_ = group_->AsString().left(kHeldLength);
        const QString heldFile = file_->AsString().left(kHeldLength);
        const QString folder = form_.EPath->Text() + folder_->AsString();
        const QString fileName = folder + QChar(u'\\') + heldFile;
        // The names come from the data: they may not lead out of the folder the user
        // chose. Nothing is made for such a row; the files finished before it stay.
        const QString base = baseFolder();
        if (!platform::StaysInside(base, folder)) leavesBase(folder_, base);
        if (!platform::StaysInside(base, fileName)) leavesBase(file_, base);
        // Only the last level is made; a folder that exists or cannot be made is no
        // error here: the file in it says so when it cannot be written.
        platform::EnsureDriveRoot(folder);
        QDir().mkdir(platform::MapPath(folder));
        line_ = EncodedLine(fileName);
        openError_.reset();
        try {
            target_ = std::make_unique<ExportFile>(fileName);
        } catch (const EInOutError& e) {
            openError_ = e.Message();
        }
        writeHeader();
    }

    // The folder the base path names: all of it up to its last backslash (so that
    // "c:\Export" with the folder value A, giving c:\ExportA, stays within c:\).
    QString baseFolder() const {
        const QString path = form_.EPath->Text();
        const qsizetype cut = std::max(path.lastIndexOf(QChar(u'\\')), path.lastIndexOf(QChar(u'/')));
        if (cut >= 0) return path.left(cut + 1);
        if (path.size() >= 2 && path[1] == QChar(u':')) return path.left(2) + QChar(u'\\');
        return QString();  // the current folder
    }

    [[noreturn]] void leavesBase(TField* field, const QString& base) const {
        throw EInOutError(
            QStringLiteral("Row %1: the value \"%2\" of column %3 leads outside the folder \"%4\"; "
                           "nothing was written for it")
                .arg(rows_.RecNo())
                .arg(field->AsString(), field->FieldName(), base.isEmpty() ? QStringLiteral(".") : base));
    }

    void writeHeader() {
        if (!lastColumn_) {
            // Read once the first target exists, as the user typed it.
            const int32_t leftOut = StrToInt(form_.EOrphColumns->Text());
            lastColumn_ = rows_.FieldCount() - 1 - static_cast<int64_t>(leftOut);
            for (int64_t i = 0; i <= *lastColumn_; ++i)
                fields_.push_back(rows_.Fields(static_cast<int>(i)));  // past the last: index error
        }
        line_.Clear();
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (i > 0) line_.Append(separator_);
            line_.Append(form_.QuoteFieldValue(fields_[i]->FieldName()));
        }
        write();
    }

    void writeRow() {
        line_.Clear();
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (i > 0) line_.Append(separator_);
            if (quoted_)
                line_.AppendQuoted(fields_[i]->AsString(), quote_);
            else
                line_.Append(fields_[i]->AsString());
        }
        write();
    }

    void write() {
        if (!target_) throw EInOutError(*openError_);
        line_.WriteTo(*target_);
    }

    void closeTarget() {
        if (target_) target_->Close();
        target_.reset();
    }

    TFMultiFileEksport& form_;
    TDataSet& rows_;
    const QString separator_;
    // Values are wrapped in the delimiter's first character only.
    const bool quoted_;
    const QChar quote_;
    RowStatus status_;
    TField* group_ = nullptr;
    TField* file_ = nullptr;
    TField* folder_ = nullptr;
    ValueWatch groupWatch_;
    ValueWatch fileWatch_;
    std::optional<int64_t> lastColumn_;
    std::vector<TField*> fields_;
    QString heldGroup_;
    EncodedLine line_{QString()};
    std::unique_ptr<ExportFile> target_;
    std::optional<QString> openError_;
};

}  // namespace

void ShowMultiFileEksport() {
    std::unique_ptr<TFMultiFileEksport> form(Application()->CreateForm<TFMultiFileEksport>());
    form->ShowModal();
}

TFMultiFileEksport::~TFMultiFileEksport() {
    if (FMultiFileEksport == this) FMultiFileEksport = nullptr;
}

QString TFMultiFileEksport::QuoteFieldValue(const QString& value) const {
    const QString delimiter = EDelimiter->Text();
    if (delimiter.isEmpty()) return value;
    const QChar c = delimiter.at(0);
    QString doubled = value;
    doubled.replace(c, QString(2, c));
    return c + doubled + c;
}

void TFMultiFileEksport::BRefreshClick(TObject*) {
    const BusyCursor busy;
    Query->Close();
    Query->SQL().Assign(SQL->Lines());
    Query->Open();
}

void TFMultiFileEksport::BExportClick(TObject*) {
    {
        // The grid follows again also when the export stops on an error; the file
        // being written is then closed with what it holds.
        TControlsDisabled detached(*Query);
        const BusyCursor busy;
        MultiFileRun(*this, *Query).Run();
    }
    ShowMessage(QStringLiteral("Eksport zakonczyl sie"));
}

void TFMultiFileEksport::BCloseClick(TObject*) {
    Close();
}
