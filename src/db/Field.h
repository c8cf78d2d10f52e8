#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <string_view>

#include "rtl/Classes.h"

class TDataSet;

enum class TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftLargeint
};

// One column of a dataset, seen through the dataset's current record. Values are
// kept by the dataset in a canonical text form (see RowStore.h); each field class
// turns that form into the text the user sees and into a typed QVariant. The dataset
// owns its fields (they are no components of it) and destroys them when it closes.
class TField : public TComponent {
  public:
    TField(TDataSet* dataSet, const QString& fieldName, TFieldType type, int size);

    const QString& FieldName() const { return fieldName_; }
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    // Declared size: characters for character fields, 0 where the type has none.
    int Size() const { return size_; }
    int DisplayWidth() const { return displayWidth_ >= 0 ? displayWidth_ : DefaultDisplayWidth(); }
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    TFieldType DataType() const { return type_; }
    // Position among the dataset's fields, from 0.
    int Index() const { return index_; }
    TDataSet* DataSet() const { return dataSet_; }

    // Current record (the edit buffer while editing or inserting).
    bool IsNull() const;
    QString AsString() const;
    QVariant Value() const;
    // The current record's value in its stored canonical form (nullopt: NULL), valid
    // until the dataset moves; for writers that turn it into bytes without a QString.
    std::optional<std::string_view> CurrentBytes() const;
    // Editing: only while the dataset is in dsEdit or dsInsert.
    void SetAsString(const QString& text);
    void Clear();

    // Text of a stored canonical value (never null) in the regional-settings form.
    virtual QString FormatValue(std::string_view raw) const;
    // Typed value of a stored canonical value (never null).
    virtual QVariant ToVariant(std::string_view raw) const;
    // Canonical form of a text the user typed; raises EConvertError when it is no value of this type.
    virtual QByteArray ParseText(const QString& text) const;

  protected:
    virtual int DefaultDisplayWidth() const;

  private:
    friend class TDataSet;
    TDataSet* dataSet_;
    QString fieldName_;
    QString displayLabel_;
    TFieldType type_;
    int size_;
    int displayWidth_ = -1;
    int index_ = 0;
};

class TIntegerField : public TField {
  public:
    TIntegerField(TDataSet* ds, const QString& name, TFieldType type = TFieldType::ftInteger)
        : TField(ds, name, type, 0) {}
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TSmallintField : public TIntegerField {
  public:
    TSmallintField(TDataSet* ds, const QString& name) : TIntegerField(ds, name, TFieldType::ftSmallint) {}
};

class TWordField : public TIntegerField {
  public:
    TWordField(TDataSet* ds, const QString& name) : TIntegerField(ds, name, TFieldType::ftWord) {}
};

class TAutoIncField : public TIntegerField {
  public:
    TAutoIncField(TDataSet* ds, const QString& name) : TIntegerField(ds, name, TFieldType::ftAutoInc) {}
};

class TLargeintField : public TField {
  public:
    TLargeintField(TDataSet* ds, const QString& name) : TField(ds, name, TFieldType::ftLargeint, 0) {}
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 15; }
};

class TFloatField : public TField {
  public:
    TFloatField(TDataSet* ds, const QString& name, TFieldType type = TFieldType::ftFloat)
        : TField(ds, name, type, 0) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TCurrencyField : public TFloatField {
  public:
    TCurrencyField(TDataSet* ds, const QString& name) : TFloatField(ds, name, TFieldType::ftCurrency) {}
};

// Exact decimal numbers, shown digit for digit as stored.
class TBCDField : public TField {
  public:
    TBCDField(TDataSet* ds, const QString& name, int precision, int scale)
        : TField(ds, name, TFieldType::ftBCD, scale), precision_(precision) {}
    int Precision() const { return precision_; }
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return precision_ > 0 ? precision_ + 2 : 10; }

  private:
    int precision_;
};

class TStringField : public TField {
  public:
    TStringField(TDataSet* ds, const QString& name, int size)
        : TField(ds, name, TFieldType::ftString, size) {}
};

class TBooleanField : public TField {
  public:
    TBooleanField(TDataSet* ds, const QString& name) : TField(ds, name, TFieldType::ftBoolean, 0) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 5; }
};

class TDateTimeField : public TField {
  public:
    TDateTimeField(TDataSet* ds, const QString& name, TFieldType type = TFieldType::ftDateTime)
        : TField(ds, name, type, 0) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 19; }
};

class TDateField : public TDateTimeField {
  public:
    TDateField(TDataSet* ds, const QString& name) : TDateTimeField(ds, name, TFieldType::ftDate) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
  public:
    TTimeField(TDataSet* ds, const QString& name) : TDateTimeField(ds, name, TFieldType::ftTime) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;

  protected:
    int DefaultDisplayWidth() const override { return 8; }
};

// Binary values; the text of a value is its bytes one character each (Latin-1).
class TBytesField : public TField {
  public:
    TBytesField(TDataSet* ds, const QString& name, int size = 0)
        : TField(ds, name, TFieldType::ftBytes, size) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;
};

class TBlobField : public TField {
  public:
    TBlobField(TDataSet* ds, const QString& name, TFieldType type = TFieldType::ftBlob)
        : TField(ds, name, type, 0) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;
};

// Long texts: UTF-8 like character fields.
class TMemoField : public TBlobField {
  public:
    TMemoField(TDataSet* ds, const QString& name) : TBlobField(ds, name, TFieldType::ftMemo) {}
    QString FormatValue(std::string_view raw) const override;
    QVariant ToVariant(std::string_view raw) const override;
    QByteArray ParseText(const QString& text) const override;
};
