#pragma once
// The texts of the platform's own error messages, in the programs' language,
// in one table; and the system's reasons they carry, told in the same
// language: errno values, the system's error numbers and SQLite's result
// codes. So an error box reads in one language whichever layer failed.
//
// A message takes its details through Format ("%s" texts, "%d" numbers), in
// the order the comment of each entry gives.

#include "platform/rtl/Format.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <initializer_list>

namespace velvane {

enum class TErrorText {
    // Files: the path, then the reason.
    CannotCreateFile,
    CannotOpenFile,
    CannotWriteFile,
    CannotReadFile,
    // The path.
    FileNameWithControlCharacter,
    // Streams and lists.
    StreamRead,
    StreamWrite,
    StreamSize,
    StreamMemory,
    ListIndex,  // the index
    // Conversions: the text.
    NotInteger,
    NotFloat,
    NotDate,
    NotTime,
    NotDateTime,
    DateEncode,
    TimeEncode,
    FormatInvalid,   // the format
    VariantConvert,  // the two type names
    // The registry calls: the value's name.
    RegistryGetData,
    RegistrySetData,
    RegistryDataType,
    // The settings store: its file, then the reason.
    StoreDamaged,
    StoreCannotOpen,
    StoreCannotPrepare,
    StoreCannotRead,
    StoreCannotUse,
    StoreCannotReadOrWrite,
    // The value's name, its key, the file, the reason.
    StoreValueDamaged,
    // The file, the largest size, the value's name, its size.
    StoreValueTooLarge,
    // Reasons the store gives for a damaged file or value.
    StoreTableColumns,      // the table, the columns it has, those it should have
    StoreTableKey,          // the table, its key, the key it should have
    StoreTableCaseSensitive,  // the table, the column
    StoreNoRowIds,
    StoreIntegrity,
    StoreNumberHolds,       // the kind stored
    StoreNumberTooWide,     // the number
    StoreValueOversized,    // its size, the largest size
    // Network clients.
    SocketError,            // the system's error number, its text
    ConnectionClosed,
    AlreadyConnected,
    NotConnected,
    ClientInUse,
    TooManyInterimReplies,  // the count
    MalformedStatusLine,    // the line
    ReplyHeadTooLarge,      // the largest size
    ReplyTooLarge,          // the largest size
    MalformedReply,         // the client library's words
    SenderRefused,
    RecipientRefused,
    NoRecipient,
    // Shared libraries opened at first use.
    LibraryCannotLoad,       // the library
    LibraryFunctionMissing,  // the function, the library
    // Pictures.
    UnknownPictureExtension,  // the extension
    EmptyPictureNotSaved,
    BitmapSizeNegative,
    BitmapTooLarge,
    BitmapNoMemory,
    BitmapNoMemoryFor,      // width, height
    BitmapTooLargeToSave,
    BitmapInvalid,          // the reason
    JpegTooLarge,           // width, height
    JpegOverBudget,         // megabytes
    JpegInvalid,            // the library's message number
    JpegNotJpeg,
    JpegCut,
    JpegTooManyScans,       // the most it takes
    JpegNoMemory,
    // Why a bitmap file is not valid.
    BmpNotABitmap,
    BmpHeaderCut,
    BmpUnknownHeader,
    BmpPlanes,
    BmpWidth,
    BmpHeight,
    BmpTooLarge,
    BmpBitsPerPixel,
    BmpRunLength,
    BmpMasksNeedDepth,
    BmpMasksCut,
    BmpCompression,
    BmpMaskTooWide,
    BmpMaskGaps,
    BmpPaletteTooLarge,
    BmpPaletteCut,
    BmpPixelOffset,
    BmpPixelsCut,
    BmpPaletteIndex,
};

String ErrorText(TErrorText text, std::initializer_list<FormatArg> details = {});

// The reason for an errno value, as "Sistema de arquivos somente leitura".
String ErrnoText(int err);
// The text of one of the system's error numbers (also the Winsock ones).
String SystemErrorText(std::uint32_t code);
// The reason for an SQLite result code, extended or primary.
String SqliteResultText(int code);

} // namespace velvane
