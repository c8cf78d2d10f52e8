#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

// Base of every error the program raises on purpose. Handlers catch it (or a
// descendant) and show Message(); the event dispatcher turns one that escapes a
// handler into the default error box.
class Exception : public std::exception {
  public:
    explicit Exception(QString message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    QString message_;
    QByteArray utf8_;
};

// A text that is not a number where one is expected.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A file that cannot be created, opened, read or written.
class EInOutError : public Exception {
  public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception {
  public:
    using Exception::Exception;
};

// Registry hive that cannot be written, or a value of the wrong type.
class ERegistryException : public Exception {
  public:
    using Exception::Exception;
};

// Every error of the data-access layer and of the database backends. An error the
// database itself reports also carries its own code: the SQLite extended result code
// (as decimal digits) or the PostgreSQL SQLSTATE; the layer's own errors carry none.
class EDatabaseError : public Exception {
  public:
    explicit EDatabaseError(QString message, QString nativeCode = QString())
        : Exception(std::move(message)), nativeCode_(std::move(nativeCode)) {}
    const QString& NativeCode() const { return nativeCode_; }

  private:
    QString nativeCode_;
};
