#include "cube/CubeEditor.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "cube/CubeError.h"
#include "cube/DecisionCube.h"
#include "framework/Application.h"
#include "framework/Dispatch.h"
#include "platform/DialogSeam.h"

namespace {

// Role box entries, in the order of TCubeRole.
const char* const kRoles[] = {"Not used", "Dimension", "Sum", "Count", "Average"};
const char* const kGroupings[] = {"Value", "Year", "Quarter", "Month"};

QString roleText(TCubeRole role) {
    return QString::fromLatin1(kRoles[static_cast<int>(role)]);
}

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    w->setAccessibleName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TDssCubeEditor::TDssCubeEditor(TComponent* owner, TDecisionCube* cube) : TForm(owner), cube_(cube) {
    SetName(QStringLiteral("DssCubeEditor"));
    SetCaption(QStringLiteral("Decision Cube Editor"));
    SetPosition(TPosition::poScreenCenter);
    SetBorderStyle(TBorderStyle::bsDialog);
    SetClientSize(600, 400);
    map_ = cube_->DimensionMap();

    auto* root = new QVBoxLayout(ClientWidget());
    auto* top = new QHBoxLayout;
    root->addLayout(top, 1);

    auto* fieldsBox = new QGroupBox(QStringLiteral("Fields of the query"));
    auto* fl = new QVBoxLayout(fieldsBox);
    fields_ = named(new QListWidget, "FieldList");
    fl->addWidget(fields_);
    top->addWidget(fieldsBox, 1);

    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* fieldBox = new QGroupBox(QStringLiteral("Selected field"));
    auto* form = new QFormLayout(fieldBox);
    role_ = named(new QComboBox, "FieldRole");
    for (const char* r : kRoles) role_->addItem(QString::fromLatin1(r));
    displayName_ = named(new QLineEdit, "DisplayName");
    grouping_ = named(new QComboBox, "Grouping");
    for (const char* g : kGroupings) grouping_->addItem(QString::fromLatin1(g));
    format_ = named(new QLineEdit, "Format");
    format_->setPlaceholderText(QStringLiteral("e.g. #,##0.00"));
    form->addRow(QStringLiteral("Type:"), role_);
    form->addRow(QStringLiteral("Display name:"), displayName_);
    form->addRow(QStringLiteral("Date grouping:"), grouping_);
    form->addRow(QStringLiteral("Number format:"), format_);
    right->addWidget(fieldBox);

    auto* limitsBox = new QGroupBox(QStringLiteral("Cube limits"));
    auto* limits = new QFormLayout(limitsBox);
    auto spin = [](const char* name, int min, int max, int value) {
        auto* s = named(new QSpinBox, name);
        s->setRange(min, max);
        s->setValue(value);
        return s;
    };
    maxDimensions_ = spin("MaxDimensions", 1, 5, cube_->MaxDimensions());
    maxSummaries_ = spin("MaxSummaries", 1, 10, cube_->MaxSummaries());
    maxCells_ = spin("MaxCells", 0, 2000000000, cube_->MaxCells());
    maxCells_->setSpecialValueText(QStringLiteral("no limit"));
    limits->addRow(QStringLiteral("Maximum dimensions:"), maxDimensions_);
    limits->addRow(QStringLiteral("Maximum summaries:"), maxSummaries_);
    limits->addRow(QStringLiteral("Maximum cells:"), maxCells_);
    counts_ = named(new QLabel, "Counts");
    limits->addRow(counts_);
    right->addWidget(limitsBox);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_ = named(new QPushButton(QStringLiteral("OK")), "OKButton");
    ok_->setDefault(true);
    cancel_ = named(new QPushButton(QStringLiteral("Cancel")), "CancelButton");
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    root->addLayout(buttons);

    for (const TCubeField& f : map_) fields_->addItem(f.FieldName);
    refreshList();
    QObject::connect(fields_, &QListWidget::currentRowChanged, fields_, [this](int row) {
        storeField();
        showField(row);
    });
    auto edited = [this] {
        if (loading_) return;
        storeField();
        refreshList();
        showField(current_);
    };
    QObject::connect(role_, &QComboBox::currentIndexChanged, role_, edited);
    QObject::connect(grouping_, &QComboBox::currentIndexChanged, grouping_, edited);
    QObject::connect(displayName_, &QLineEdit::textEdited, displayName_, [this] { storeField(); });
    QObject::connect(format_, &QLineEdit::textEdited, format_, [this] { storeField(); });
    for (QSpinBox* s : {maxDimensions_, maxSummaries_})
        QObject::connect(s, &QSpinBox::valueChanged, s, [this] { refreshList(); });
    QObject::connect(ok_, &QPushButton::clicked, ok_, [this] { Dispatch([this] { accept(); }); });
    QObject::connect(cancel_, &QPushButton::clicked, cancel_, [this] { SetModalResult(mrCancel); });
    fields_->setCurrentRow(map_.empty() ? -1 : 0);
    if (map_.empty()) showField(-1);
}

void TDssCubeEditor::showField(int row) {
    current_ = row;
    loading_ = true;
    const bool valid = row >= 0 && row < static_cast<int>(map_.size());
    for (QWidget* w : std::initializer_list<QWidget*>{role_, displayName_, grouping_, format_})
        w->setEnabled(valid);
    if (valid) {
        const TCubeField& f = map_[static_cast<size_t>(row)];
        // Only numbers can be summed, counted or averaged.
        auto* items = qobject_cast<QStandardItemModel*>(role_->model());
        for (int r = 2; r < role_->count(); ++r) items->item(r)->setEnabled(IsNumericType(f.DataType));
        role_->setCurrentIndex(static_cast<int>(f.Role));
        displayName_->setText(f.DisplayName);
        displayName_->setPlaceholderText(f.FieldName);
        grouping_->setCurrentIndex(static_cast<int>(f.Grouping));
        grouping_->setEnabled(IsDateType(f.DataType) && f.Role == TCubeRole::Dimension);
        format_->setText(f.Format);
        format_->setEnabled(f.IsSummary());
    }
    loading_ = false;
}

void TDssCubeEditor::storeField() {
    if (loading_ || current_ < 0 || current_ >= static_cast<int>(map_.size())) return;
    TCubeField& f = map_[static_cast<size_t>(current_)];
    f.Role = static_cast<TCubeRole>(std::max(0, role_->currentIndex()));
    f.DisplayName = displayName_->text();
    f.Grouping = static_cast<TDateGrouping>(std::max(0, grouping_->currentIndex()));
    f.Format = format_->text();
}

void TDssCubeEditor::refreshList() {
    int dimensions = 0;
    int summaries = 0;
    for (size_t i = 0; i < map_.size(); ++i) {
        const TCubeField& f = map_[i];
        if (f.Role == TCubeRole::Dimension) ++dimensions;
        if (f.IsSummary()) ++summaries;
        QString text = f.FieldName + QStringLiteral("  \u2013  ") + roleText(f.Role);
        if (f.Role == TCubeRole::Dimension && IsDateType(f.DataType) && f.Grouping != TDateGrouping::Value)
            text += QStringLiteral(" by ") +
                    QString::fromLatin1(kGroupings[static_cast<int>(f.Grouping)]).toLower();
        fields_->item(static_cast<int>(i))->setText(text);
    }
    counts_->setText(QStringLiteral("Chosen: %1 of %2 dimensions, %3 of %4 summaries")
                         .arg(dimensions)
                         .arg(maxDimensions_->value())
                         .arg(summaries)
                         .arg(maxSummaries_->value()));
}

void TDssCubeEditor::accept() {
    storeField();
    try {
        CheckCubeMap(map_, maxDimensions_->value(), maxSummaries_->value());
    } catch (const EDecisionCubeError& e) {
        platform::MessageBoxRequest box;
        box.text = e.Message();
        box.caption = Caption();
        box.icon = platform::BoxIcon::Error;
        platform::Dialogs().messageBox(box);
        return;
    }
    cube_->SetMaxDimensions(maxDimensions_->value());
    cube_->SetMaxSummaries(maxSummaries_->value());
    cube_->SetMaxCells(maxCells_->value());
    cube_->SetDimensionMap(map_);
    SetModalResult(mrOk);
}

int ShowCubeEditor(TDecisionCube* cube) {
    // Parented to the window in front, so it comes up above it.
    TDssCubeEditor editor(Application(), cube);
    return editor.ShowModal();
}
