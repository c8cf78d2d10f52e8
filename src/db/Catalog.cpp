#include "db/Catalog.h"

#include <QRegularExpression>

#include "db/Aliases.h"
#include "db/Database.h"
#include "db/Driver.h"

TCatalogList::~TCatalogList() {
    try {
        Close();
    } catch (...) {
    }
}

TDatabase& TCatalogList::Attach(const QString& databaseName) {
    TDatabase& db = OpenDatabaseNamed(databaseName);
    database_ = &db;
    db.RegisterDataSet(this);
    return db;
}

void TCatalogList::CloseCursor() {
    if (database_) database_->UnregisterDataSet(this);
    database_ = nullptr;
    pending_.clear();
}

void TCatalogList::OpenCursor() {
    for (const Column& c : ListColumns()) AddField(CreateField(this, ColumnInfo{c.name, c.type, c.size, 0}));
    pending_ = ListRows();
    next_ = 0;
}

bool TCatalogList::FetchRows(RowStore& rows, int maxRows) {
    for (int n = 0; n < maxRows && next_ < pending_.size(); ++n, ++next_) {
        rows.BeginRow();
        for (const auto& v : pending_[next_]) {
            if (v) {
                const QByteArray bytes = v->toUtf8();
                rows.AddValue(bytes.constData(), static_cast<size_t>(bytes.size()));
            } else {
                rows.AddNull();
            }
        }
        rows.EndRow();
    }
    if (next_ < pending_.size()) return true;
    pending_.clear();
    return false;
}

QString HidePassword(const QString& connectionString) {
    // password=value (plain or quoted) in the keyword form, user:password@ and
    // ?password= in the URI form.
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral(R"((?<![?&])(\bpassword\s*=\s*)('(?:[^'\\]|\\.)*'|[^\s']+))"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(^(\s*postgres(?:ql)?://[^:/@?]*:)([^@/?]*)(?=@))"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(([?&]password=)([^&]*))"),
                           QRegularExpression::CaseInsensitiveOption),
    };
    QString text = connectionString;
    for (const QRegularExpression& re : patterns) {
        QString out;
        qsizetype at = 0;
        for (auto it = re.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            out += text.mid(at, m.capturedStart(2) - at) + QString(m.capturedLength(2), QChar(u'*'));
            at = m.capturedEnd(2);
        }
        text = out + text.mid(at);
    }
    return text;
}

std::vector<TCatalogList::Column> TBDEItems::ListColumns() const {
    return {{QStringLiteral("NAME"), TFieldType::ftString, kListedAliasNameLength},
            {QStringLiteral("DESCRIPTION"), TFieldType::ftString, 31},
            {QStringLiteral("PHYNAME"), TFieldType::ftString, 260},
            {QStringLiteral("DBTYPE"), TFieldType::ftString, 31}};
}

std::vector<std::vector<std::optional<QString>>> TBDEItems::ListRows() {
    std::vector<std::vector<std::optional<QString>>> rows;
    for (const AliasInfo& a : ReadAliases()) {
        // A file path is shown as it is; a server's connection string without its password.
        const bool server = a.type.compare(QStringLiteral("SQLITE"), Qt::CaseInsensitive) != 0;
        const QString physical = server ? HidePassword(a.physicalName) : a.physicalName;
        rows.push_back({a.name.left(kListedAliasNameLength), a.description.left(31), physical.left(260),
                        a.type.left(31)});
    }
    return rows;
}

void TDatabaseItems::SetDatabaseName(const QString& name) {
    if (name == databaseName_) return;
    Close();
    databaseName_ = name;
}

std::vector<TCatalogList::Column> TDatabaseItems::ListColumns() const {
    return {{QStringLiteral("NAME"), TFieldType::ftString, 260}};
}

std::vector<std::vector<std::optional<QString>>> TDatabaseItems::ListRows() {
    std::vector<std::vector<std::optional<QString>>> rows;
    for (const QString& name : Attach(databaseName_).Connection().Tables()) rows.push_back({name});
    return rows;
}

void TTableItems::SetDatabaseName(const QString& name) {
    if (name == databaseName_) return;
    Close();
    databaseName_ = name;
}

void TTableItems::SetTableName(const QString& name) {
    if (name == tableName_) return;
    Close();
    tableName_ = name;
}

std::vector<TCatalogList::Column> TTableItems::ListColumns() const {
    return {{QStringLiteral("NUM"), TFieldType::ftInteger, 0},
            {QStringLiteral("NAME"), TFieldType::ftString, 260},
            {QStringLiteral("TYPE"), TFieldType::ftString, 60}};
}

std::vector<std::vector<std::optional<QString>>> TTableItems::ListRows() {
    std::vector<std::vector<std::optional<QString>>> rows;
    int num = 0;
    for (const auto& [name, type] : Attach(databaseName_).Connection().TableColumns(tableName_))
        rows.push_back({QString::number(++num), name, type});
    return rows;
}
