#include "export/ExportFile.h"

#include <cstdint>
#include <cstring>

#include "platform/Codepage.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"
#include "rtl/Utf8.h"

namespace {

constexpr qsizetype kBufferSize = 1 << 18;

}  // namespace

EncodedText::EncodedText(const QString& text, const QString& place) : bytes_(platform::ToCp1250(text)) {
    const qsizetype bad = platform::FirstUnwritable(text);
    if (bad >= 0) {
        bad_ = platform::CharacterAt(text, bad);
        badPlace_ = place;
    }
}

EncodedText EncodedText::Ascii(const char* text) {
    EncodedText t;
    t.bytes_ = QByteArray(text);
    return t;
}

EncodedText& EncodedText::operator+=(const EncodedText& other) {
    bytes_ += other.bytes_;
    if (bad_.isEmpty()) {
        bad_ = other.bad_;
        badPlace_ = other.badPlace_;
    }
    return *this;
}

ExportFile::ExportFile(const QString& fileName)
    : shownName_(fileName),
      buffer_(new char[kBufferSize]),
      capacity_(kBufferSize),
      table_(platform::Cp1250ByteTable()) {
    platform::EnsureDriveRoot(fileName);
    file_.setFileName(platform::MapPath(fileName));
    // The buffer is ours: every write goes to the system, which says why one fails.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(QStringLiteral("create"));
    writeBehind_ = std::make_unique<platform::WriteBehind>(file_.handle());
}

ExportFile::~ExportFile() {
    // An export stopped by an error keeps what it wrote so far.
    if (file_.isOpen()) {
        file_.write(buffer_.get(), used_);
        writeBehind_->Finish();
        file_.close();
    }
}

void ExportFile::Write(const QString& text, QChar doubled) {
    ensure(2 * text.size());
    char* out = buffer_.get() + used_;
    const qsizetype bad =
        platform::EncodeCp1250(text, doubled.isNull() ? platform::kDoubleNone : doubled.unicode(), out);
    if (bad >= 0) refuse(platform::CharacterAt(text, bad), QString());
    used_ = out - buffer_.get();
}

void ExportFile::WriteUtf8(std::string_view utf8, char doubled) {
    const auto size = static_cast<qsizetype>(utf8.size());
    ensure(doubled != 0 ? 2 * size : size);
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    char* out = buffer_.get() + used_;
    while (p < end) {
        const char* stop = end;
        if (doubled != 0) {
            const void* found = std::memchr(p, doubled, static_cast<size_t>(end - p));
            if (found != nullptr) stop = static_cast<const char*>(found);
        }
        // ASCII runs are copied as they stand, eight bytes at a time; only the bytes of
        // other characters go through the table.
        while (p < stop) {
            while (stop - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, 8);
                if ((word & 0x8080808080808080ULL) != 0) break;
                std::memcpy(out, p, 8);
                p += 8;
                out += 8;
            }
            while (p < stop && static_cast<unsigned char>(*p) < 0x80) *out++ = *p++;
            if (p == stop) break;
            char32_t cp = 0;
            const int length = DecodeUtf8(p, stop, cp);
            if (length == 0 || cp > 0xFFFF || table_[cp] == '?')
                refuseUtf8(std::string_view(p, static_cast<size_t>(length > 0 ? length : 1)));
            *out++ = table_[cp];
            p += length;
        }
        if (stop == end) break;
        *out++ = doubled;
        *out++ = doubled;
        p = stop + 1;
    }
    used_ = out - buffer_.get();
}

void ExportFile::refuse(const QString& character, const QString& place) const {
    const QString where = !place.isEmpty() || !place_ ? place : place_();
    throw EInOutError(platform::UnwritableCharacterMessage(shownName_, character, where));
}

void ExportFile::fail(const QString& what) const {
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\": %3").arg(what, shownName_, file_.errorString()));
}

void ExportFile::refuseUtf8(std::string_view sequence) const {
    refuse(QString::fromUtf8(sequence.data(), static_cast<qsizetype>(sequence.size())), QString());
}

void ExportFile::makeRoom(qsizetype bytes) {
    flush();
    if (bytes > capacity_) {
        buffer_.reset(new char[static_cast<size_t>(bytes)]);
        capacity_ = bytes;
    }
}

void ExportFile::flush() {
    if (used_ == 0) return;
    // A disk that fills takes part of a write without an error; writing the rest then
    // fails with the system's reason ("No space left on device").
    for (qsizetype done = 0; done < used_;) {
        const qint64 written = file_.write(buffer_.get() + done, used_ - done);
        if (written <= 0) fail(QStringLiteral("write"));
        done += written;
    }
    written_ += used_;
    used_ = 0;
    writeBehind_->Written(written_);
}

void ExportFile::Close() {
    flush();
    if (!file_.flush()) fail(QStringLiteral("write"));
    writeBehind_->Finish();
    file_.close();
}
