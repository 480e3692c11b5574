#pragma once
// Text forms of GenICam integer elements shown as addresses or times, their
// parsing back, and the reads of string and enumeration elements with the
// lengths and indexes the SDK reports clamped. Shared by the property panels.

#include <QString>
#include <QStringList>

#include <cstdint>

#include <ZTCam.h>

namespace ElementText {

// Longest string element text read (bytes, without the terminator).
constexpr int kMaxTextBytes = 1 << 20;
// Most enumeration entries taken from one element.
constexpr int kMaxEntries = 1024;

// "a.b.c.d" of the low 32 bits, most significant byte first.
QString ipv4Text(int64_t value);
// "0:A0:B1:C2:D3:E4" of the low 48 bits, upper-case hex without fill.
QString macText(int64_t value);
// "h:m:s:ms:us:ns" of a count of nanoseconds.
QString timeText(int64_t nanoseconds);
// The text of an integer element by its representation (IPv4, MAC, time),
// or an empty text for a plain number.
QString representedText(const ZTCamElement& element);

// Four dotted decimal parts 0..255. False (and *value untouched) for any
// other text.
bool parseIpv4(const QString& text, uint64_t* value);
// Six colon-separated hexadecimal bytes. False for any other text.
bool parseMac(const QString& text, uint64_t* value);

// Reads a string element's value (attributes already in `element`) into a
// zeroed buffer of maximum + 1 bytes. A maximum outside 0..kMaxTextBytes is
// not trusted: nothing is read and the text is empty. `ok` (optional) tells
// whether the SDK read succeeded.
QString readString(ZTCamHandle handle, ZTCamElement& element, bool* ok = nullptr,
                   int32_t nodeMap = ZTCAM_NODEMAP_CAMERA);

// Entry texts 0..maximum of an enumeration element (at most kMaxEntries; a
// missing entry gives an empty text).
QStringList entryNames(const ZTCamElement& element);
// The index of the entry called `name` among those of entryNames:
// `preferred` when that entry has the name, else the first that has it;
// -1 when none has.
int entryIndex(const ZTCamElement& element, const QString& name, int64_t preferred);

}  // namespace ElementText
