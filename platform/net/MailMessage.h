#pragma once
// The text of an e-mail message as it goes over SMTP: header lines, a plain
// text part in UTF-8 (quoted-printable) and files as base64 attachments, every
// line ended by CR LF. Lines that start with "." are left as they are: the
// transport doubles them (libcurl does, for SMTP), so they are never doubled
// twice.

#include "platform/rtl/Types.h"

#include <string_view>
#include <vector>

namespace velvane::net {

struct MailAttachment {
    String fileName;  // the name the recipient sees, without folders
    String bytes;
};

struct MailParts {
    String fromAddress;
    String fromName;
    std::vector<String> to;
    String subject;
    String date;       // a whole Date header value
    String messageId;  // with its angle brackets
    String mailer;     // the sending program, "" for none
    std::vector<String> body;  // lines of UTF-8 text
    std::vector<MailAttachment> attachments;
};

// The whole message. The boundary separates the parts when there are
// attachments; it must not occur in the encoded parts (NewBoundary's never do).
String ComposeMessage(const MailParts& parts, const String& boundary);

// "Thu, 29 Feb 2024 23:59:58 -0300": a local date and time and its offset
// from UTC in minutes, in English whatever the locale.
String MailDate(TDateTime local, int utcOffsetMinutes);
// The offset from UTC, in minutes, that the local time zone had at that
// local time.
int LocalUtcOffsetMinutes(TDateTime local);
// MailDate of Now() with the zone's offset at that moment.
String MailDateNow();

// "<random.time@domain>"; a domain that is empty or unfit for the header
// is replaced by the machine's name.
String NewMessageId(const String& domain);
// A boundary of random letters that base64 and quoted-printable text cannot
// contain ("=_" is neither).
String NewBoundary();

// The lines (which may hold line breaks of their own) as quoted-printable
// text: CR LF between lines, no line longer than 76 characters.
String QuotedPrintable(const std::vector<String>& lines);
// A header value: as it stands when it is printable ASCII, otherwise as
// RFC 2047 encoded words. Control characters are dropped.
String HeaderText(std::string_view text);

// True when the text holds a control character (CR and LF among them), which
// no address or file name written into a header may.
bool HasControlCharacter(std::string_view text);
// True when the text, blanks around it aside, is one bare address: not
// empty, and without blanks, control characters or any of <>,;:"()[]\ that
// would make it a list, a named address or a command with parameters.
bool IsPlainAddress(std::string_view text);

} // namespace velvane::net
