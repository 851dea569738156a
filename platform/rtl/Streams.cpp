#include "platform/rtl/Streams.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/PosixIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace velvane {

namespace {

constexpr std::int64_t CopyChunk = 64 * 1024;

// base + offset, or -1 when it would fall before the start or overflow.
std::int64_t Target(std::int64_t base, std::int64_t offset)
{
    if (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) return -1;
    std::int64_t target = base + offset;
    return target < 0 ? -1 : target;
}

} // namespace

// --- TStream ---

std::int64_t TStream::Size()
{
    std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count)) throw EReadError(ErrorText(TErrorText::StreamRead));
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Write(buffer, count) != count)) throw EWriteError(ErrorText(TErrorText::StreamWrite));
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count < 0) throw EReadError(ErrorText(TErrorText::StreamRead));
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> buffer(static_cast<size_t>(std::min(count, CopyChunk)));
    for (std::int64_t left = count; left > 0;) {
        std::int64_t n = std::min(left, CopyChunk);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// --- TMemoryStream ---

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t size = Size();
    if (count <= 0 || position_ >= size) return 0;
    std::int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0) return 0;
    std::int64_t end = Target(position_, count);
    if (end < 0) return 0;
    // Growing zero-fills any gap left by a seek past the end.
    if (end > Size()) SetSize(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
        : origin == TSeekOrigin::soCurrent ? position_
        : Size();
    std::int64_t target = Target(base, offset);
    if (target < 0) return -1;
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    if (size < 0) throw EStreamError(ErrorText(TErrorText::StreamSize));
    try {
        if (static_cast<std::uint64_t>(size) > data_.max_size()) throw std::bad_alloc();
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EStreamError(ErrorText(TErrorText::StreamMemory));
    } catch (const std::length_error&) {
        throw EStreamError(ErrorText(TErrorText::StreamMemory));
    }
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear()
{
    std::vector<std::uint8_t>().swap(data_);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    std::int64_t size = source.Size();
    SetSize(size);
    position_ = 0;
    source.ReadBuffer(data_.data(), size);
}

void TMemoryStream::SaveToStream(TStream& target)
{
    target.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::LoadFromFile(const String& path)
{
    String bytes = ReadFileBytes(path);
    data_.assign(bytes.begin(), bytes.end());
    position_ = 0;
}

void TMemoryStream::SaveToFile(const String& path)
{
    AtomicWriteFile(path, std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()));
}

// --- TFileStream ---

TFileStream::TFileStream(const String& path, unsigned mode)
    : path_(path)
{
    if ((mode & fmCreate) == fmCreate) {
        fd_ = posix::Open(path, O_CREAT | O_TRUNC | O_RDWR, 0666);
        if (fd_ < 0) throw EFCreateError(posix::CannotCreate(path, errno));
    } else {
        unsigned access = mode & 3;
        if (access == 3) throw EFOpenError(posix::CannotOpen(path, EINVAL));
        int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
        fd_ = posix::Open(path, flags);
        if (fd_ < 0) throw EFOpenError(posix::CannotOpen(path, errno));
    }

    // A folder opens read-only but is no file to stream.
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        posix::Close(fd_);
        fd_ = -1;
        throw EFOpenError(posix::CannotOpen(path, EISDIR));
    }
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0) posix::Close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    return count > 0 ? posix::ReadFully(fd_, buffer, count) : 0;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    return count > 0 ? posix::WriteFully(fd_, buffer, count) : 0;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
        : origin == TSeekOrigin::soCurrent ? SEEK_CUR
        : SEEK_END;
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

void TFileStream::SetSize(std::int64_t size)
{
    if (size < 0) throw EWriteError(posix::CannotWrite(path_, EINVAL));
    int rc;
    do {
        rc = ::ftruncate(fd_, static_cast<off_t>(size));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throw EWriteError(posix::CannotWrite(path_, errno));
    if (Position() > size) SetPosition(size);
}

} // namespace velvane
