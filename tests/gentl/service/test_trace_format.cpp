#include "TraceFormat.h"
#include "TraceNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace GenTLCore;

namespace {

// An info value in a heap block of exactly its size, so that a read beyond
// it is caught by the address sanitizer.
struct HeapValue {
    std::vector<unsigned char> bytes;
    size_t Size() const { return empty ? 0 : bytes.size(); }
    bool empty = false;
    template <class T>
    static HeapValue Of(const T& value)
    {
        HeapValue v;
        v.bytes.resize(sizeof value);
        std::memcpy(v.bytes.data(), &value, sizeof value);
        return v;
    }
    static HeapValue Bytes(std::initializer_list<unsigned char> list) { return HeapValue{std::vector<unsigned char>(list)}; }
    // A value of size 0 at a valid address.
    static HeapValue Empty() { return HeapValue{std::vector<unsigned char>(1), true}; }
    static HeapValue Text(const std::string& text, size_t size)
    {
        HeapValue v;
        v.bytes.assign(size, 'x');
        std::memcpy(v.bytes.data(), text.data(), std::min(text.size(), size));
        return v;
    }
};

std::string InfoValue(const HeapValue& value, INFO_DATATYPE type)
{
    const size_t size = value.Size();
    return FormatInfoValue(value.bytes.data(), &type, &size);
}

}  // namespace

TEST(TraceFormatTest, PointerRenderingIsSixteenUpperCaseDigits)
{
    EXPECT_EQ(FormatPointer(nullptr), "0000000000000000");
    EXPECT_EQ(FormatPointer(reinterpret_cast<void*>(0xABCDEF12ull)), "00000000ABCDEF12");
}

TEST(TraceFormatTest, InfoValueByDataType)
{
    struct Case {
        const char* what;
        HeapValue value;
        INFO_DATATYPE type;
        std::string text;
    };
    const Case cases[] = {
        {"string stops at its NUL", HeapValue::Text(std::string("abc\0def", 7), 7), INFO_DATATYPE_STRING, "abc"},
        {"string without NUL", HeapValue::Text("abc", 3), INFO_DATATYPE_STRING, "abc"},
        {"string of 200 marks the cut", HeapValue::Text(std::string("abc\0", 4), 200), INFO_DATATYPE_STRING, "abc..."},
        {"string of 128 is whole", HeapValue::Text("", 128), INFO_DATATYPE_STRING, std::string(128, 'x')},
        {"int16", HeapValue::Of<int16_t>(-2), INFO_DATATYPE_INT16, "-2"},
        {"uint16", HeapValue::Of<uint16_t>(65535), INFO_DATATYPE_UINT16, "65535"},
        {"int32", HeapValue::Of<int32_t>(-1), INFO_DATATYPE_INT32, "-1"},
        {"uint32", HeapValue::Of<uint32_t>(4294967295u), INFO_DATATYPE_UINT32, "4294967295"},
        {"int64", HeapValue::Of<int64_t>(std::numeric_limits<int64_t>::min()), INFO_DATATYPE_INT64,
         "-9223372036854775808"},
        {"ptrdiff", HeapValue::Of<int64_t>(-5), INFO_DATATYPE_PTRDIFF, "-5"},
        {"uint64 infinite", HeapValue::Of<uint64_t>(~0ull), INFO_DATATYPE_UINT64, "18446744073709551615"},
        {"size_t", HeapValue::Of<size_t>(1048576), INFO_DATATYPE_SIZET, "1048576"},
        {"float64", HeapValue::Of<double>(1.5), INFO_DATATYPE_FLOAT64, "1.5"},
        {"float64 exponent", HeapValue::Of<double>(1e20), INFO_DATATYPE_FLOAT64, "1e+20"},
        {"float64 six digits", HeapValue::Of<double>(3.14159265), INFO_DATATYPE_FLOAT64, "3.14159"},
        {"pointer", HeapValue::Of<const void*>(reinterpret_cast<void*>(0x1234)), INFO_DATATYPE_PTR,
         "0000000000001234"},
        {"bool8 as a number", HeapValue::Of<uint8_t>(1), INFO_DATATYPE_BOOL8, "1"},
        {"string list is dumped", HeapValue::Text(std::string("a\0\0", 3), 3), INFO_DATATYPE_STRINGLIST,
         "{ 61 00 00 }"},
        {"buffer", HeapValue::Bytes({0x0A, 0x1B, 0x2C}), INFO_DATATYPE_BUFFER, "{ 0a 1b 2c }"},
        {"undefined type is dumped", HeapValue::Bytes({0xFF}), INFO_DATATYPE_UNKNOWN, "{ ff }"},
        {"custom type is dumped", HeapValue::Bytes({0x01, 0x02}), 1000, "{ 01 02 }"},
        {"empty buffer", HeapValue::Empty(), INFO_DATATYPE_BUFFER, "{ }"},
        {"nine bytes show eight", HeapValue::Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), INFO_DATATYPE_BUFFER,
         "{ 01 02 03 04 05 06 07 08 ... }"},
        // Numbers shorter than their type are never read beyond their size.
        {"short uint32 shows its bytes", HeapValue::Bytes({0x01, 0x00}), INFO_DATATYPE_UINT32, "{ 01 00 }"},
        {"short size_t shows its bytes", HeapValue::Bytes({0x10, 0x20, 0x30, 0x40}), INFO_DATATYPE_SIZET,
         "{ 10 20 30 40 }"},
        {"short pointer shows its bytes", HeapValue::Bytes({0x10}), INFO_DATATYPE_PTR, "{ 10 }"},
        {"empty bool8", HeapValue::Empty(), INFO_DATATYPE_BOOL8, "{ }"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InfoValue(c.value, c.type), c.text) << c.what;
}

TEST(TraceFormatTest, MissingPointersBecomeTexts)
{
    const INFO_DATATYPE text = INFO_DATATYPE_STRING;
    const INFO_DATATYPE number = INFO_DATATYPE_UINT64;
    const uint64_t value = 7;
    const size_t size = sizeof value;
    EXPECT_EQ(FormatInfoValue(nullptr, nullptr, nullptr), "{ null }");
    EXPECT_EQ(FormatInfoValue(nullptr, &number, &size), "{ null }");
    EXPECT_EQ(FormatInfoValue(&value, nullptr, &size), "{ unknown command datatype }");
    EXPECT_EQ(FormatInfoValue(&value, &text, nullptr), "{ unknown buffer size }");
    // Without a size a number is not read either.
    EXPECT_EQ(FormatInfoValue(&value, &number, nullptr), "{ unknown buffer size }");
    EXPECT_EQ(FormatBufferDump(&value, nullptr), "{ unknown buffer size }");
    EXPECT_EQ(FormatSizedString(nullptr, &size), "{ null }");
}

TEST(TraceFormatTest, CStringIsCutAt128)
{
    EXPECT_EQ(FormatCString(nullptr), "{ null }");
    EXPECT_EQ(FormatCString(""), "");
    EXPECT_EQ(FormatCString("CXP_0"), "CXP_0");
    const std::string exact(128, 'a');
    EXPECT_EQ(FormatCString(exact.c_str()), exact);
    const std::string longer(300, 'b');
    EXPECT_EQ(FormatCString(longer.c_str()), std::string(128, 'b') + "...");
}

TEST(TraceFormatTest, RegisterValueAddsBothReadingsForTwoFourAndEightBytes)
{
    struct Case {
        HeapValue value;
        std::string text;
    };
    const Case cases[] = {
        {HeapValue::Bytes({0xFF, 0xFF, 0xFF, 0xFF}), "{ ff ff ff ff } [4294967295U, -1S]"},
        {HeapValue::Bytes({0x01, 0x00}), "{ 01 00 } [1U, 1S]"},
        {HeapValue::Bytes({0x01, 0x00, 0x00, 0x00}), "{ 01 00 00 00 } [1U, 1S]"},
        {HeapValue::Of<uint64_t>(0x8000000000000000ull),
         "{ 00 00 00 00 00 00 00 80 } [9223372036854775808U, -9223372036854775808S]"},
        {HeapValue::Bytes({0x01, 0x02, 0x03}), "{ 01 02 03 }"},
        {HeapValue::Empty(), "{ }"},
    };
    for (const Case& c : cases) {
        const size_t size = c.value.Size();
        EXPECT_EQ(FormatRegisterValue(c.value.bytes.data(), &size), c.text);
    }
    const size_t four = 4;
    EXPECT_EQ(FormatRegisterValue(nullptr, &four), "{ null }");
}

TEST(TraceFormatTest, EntryArrayDumpsTwentyFourBytesPerEntry)
{
    PORT_REGISTER_STACK_ENTRY entries[2] = {{0x10, nullptr, 4}, {0x20, nullptr, 4}};
    const size_t two = 2;
    EXPECT_EQ(FormatEntryArray(entries, &two), "{ 10 00 00 00 00 00 00 00 ... }");
    const size_t none = 0;
    EXPECT_EQ(FormatEntryArray(entries, &none), "{ }");
    EXPECT_EQ(FormatEntryArray(entries, nullptr), "{ unknown buffer size }");
    EXPECT_EQ(FormatEntryArray(nullptr, nullptr), "{ null }");
    // A count whose byte size overflows still reads at most 8 bytes and
    // marks the cut.
    const size_t huge = std::numeric_limits<size_t>::max() / 24 + 1;
    EXPECT_EQ(FormatEntryArray(entries, &huge), "{ 10 00 00 00 00 00 00 00 ... }");
}

TEST(TraceFormatTest, InfoOutputsJoinTypeValueAndSize)
{
    const INFO_DATATYPE sizeType = INFO_DATATYPE_SIZET;
    const size_t value = 1048576;
    const size_t size = 8;
    EXPECT_EQ(FormatInfoOutputs(&sizeType, &value, &size),
              "*piType=12 [INFO_DATATYPE_SIZET], *pBuffer=1048576, *piSize=8");
    EXPECT_EQ(FormatInfoOutputs(nullptr, nullptr, nullptr), "*piType={ null }, *pBuffer={ null }, *piSize={ null }");
    const INFO_DATATYPE stringList = INFO_DATATYPE_STRINGLIST;
    const char list[] = {'a', 0, 0};
    const size_t listSize = sizeof list;
    EXPECT_EQ(FormatInfoOutputs(&stringList, list, &listSize), "*piType=2 [Unknown], *pBuffer={ 61 00 00 }, *piSize=3");
}

TEST(TraceFormatTest, OutValues)
{
    const uint32_t count = 3;
    const size_t infinite = ~size_t(0);
    void* const handle = reinterpret_cast<void*>(0xBEEF);
    EXPECT_EQ(FormatOutValue(&count), "3");
    EXPECT_EQ(FormatOutValue(&infinite), "18446744073709551615");
    EXPECT_EQ(FormatOutValue(&handle), "000000000000BEEF");
    EXPECT_EQ(FormatOutValue(static_cast<const uint32_t*>(nullptr)), "{ null }");
    EXPECT_EQ(FormatOutValue(static_cast<void* const*>(nullptr)), "{ null }");

    // The bool8 flag is the caller's byte: any non-zero value is true.
    for (const unsigned char byte : {0, 1, 2, 0xFF}) {
        bool flag;
        std::memcpy(&flag, &byte, 1);
        EXPECT_EQ(FormatOutValue(&flag), byte ? "true" : "false") << int(byte);
    }
    EXPECT_EQ(FormatOutValue(static_cast<const bool*>(nullptr)), "{ null }");

    const int32_t code = -1006;
    const auto names = [](int32_t v) { return TraceNameOf(GC_ERROR_LIST(), v); };
    EXPECT_EQ(FormatNamedOutValue(&code, names), "-1006 [GC_ERR_INVALID_HANDLE]");
    EXPECT_EQ(FormatNamedOutValue(nullptr, names), "{ null }");
}

namespace {

// One name table: its first and last named value, and how many it names.
struct NameTable {
    const char* (*nameOf)(int32_t);
    int32_t last;
    const char* firstName;
    const char* lastName;
    int named;
};

template <class List>
NameTable Table(int32_t last, const char* firstName, const char* lastName, int named)
{
    return {[](int32_t v) { return TraceNameOf(List(), v); }, last, firstName, lastName, named};
}

}  // namespace

TEST(TraceNamesTest, EachTableNamesItsRangeAndNothingElse)
{
    const NameTable tables[] = {
        Table<ACQ_QUEUE_TYPE_LIST>(4, "ACQ_QUEUE_INPUT_TO_OUTPUT", "ACQ_QUEUE_ALL_DISCARD", 5),
        Table<ACQ_START_FLAGS_LIST>(0, "ACQ_START_FLAGS_DEFAULT", "ACQ_START_FLAGS_DEFAULT", 1),
        Table<ACQ_STOP_FLAGS_LIST>(1, "ACQ_STOP_FLAGS_DEFAULT", "ACQ_STOP_FLAGS_KILL", 2),
        Table<BUFFER_INFO_CMD_LIST>(30, "BUFFER_INFO_BASE", "BUFFER_INFO_CONTAINS_CHUNKDATA", 31),
        Table<BUFFER_PART_INFO_CMD_LIST>(11, "BUFFER_PART_INFO_BASE", "BUFFER_PART_INFO_DELIVERED_IMAGEHEIGHT", 12),
        Table<INFO_DATATYPE_LIST>(14, "INFO_DATATYPE_UNKNOWN", "INFO_DATATYPE_PTRDIFF", 14),
        Table<DEVICE_ACCESS_FLAGS_LIST>(4, "DEVICE_ACCESS_UNKNOWN", "DEVICE_ACCESS_EXCLUSIVE", 5),
        Table<DEVICE_INFO_CMD_LIST>(9, "DEVICE_INFO_ID", "DEVICE_INFO_TIMESTAMP_FREQUENCY", 10),
        Table<EVENT_DATA_INFO_CMD_LIST>(2, "EVENT_DATA_ID", "EVENT_DATA_NUMID", 3),
        Table<EVENT_INFO_CMD_LIST>(4, "EVENT_EVENT_TYPE", "EVENT_INFO_DATA_SIZE_MAX", 5),
        Table<EVENT_TYPE_LIST>(5, "EVENT_ERROR", "EVENT_MODULE", 6),
        Table<INTERFACE_INFO_CMD_LIST>(2, "INTERFACE_INFO_ID", "INTERFACE_INFO_TLTYPE", 3),
        Table<PORT_INFO_CMD_LIST>(12, "PORT_INFO_ID", "PORT_INFO_PORTNAME", 13),
        Table<STREAM_INFO_CMD_LIST>(13, "STREAM_INFO_ID", "STREAM_INFO_BUF_ALIGNMENT", 14),
        Table<TL_INFO_CMD_LIST>(10, "TL_INFO_ID", "TL_INFO_GENTL_VER_MINOR", 11),
        Table<URL_INFO_CMD_LIST>(10, "URL_INFO_URL", "URL_INFO_FILENAME", 11),
    };
    for (const NameTable& t : tables) {
        EXPECT_STREQ(t.nameOf(0), t.firstName);
        EXPECT_STREQ(t.nameOf(t.last), t.lastName);
        int named = 0;
        for (int32_t v = 0; v <= t.last; ++v)
            named += std::string(t.nameOf(v)) != "Unknown";
        EXPECT_EQ(named, t.named) << t.firstName;
        for (const int32_t outside : {-1, t.last + 1, 1000, std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()})
            EXPECT_STREQ(t.nameOf(outside), "Unknown") << t.firstName << " " << outside;
    }
    EXPECT_STREQ(TraceNameOf(INFO_DATATYPE_LIST(), 2), "Unknown");
    EXPECT_STREQ(TraceNameOf(STREAM_INFO_CMD_LIST(), 14), "Unknown") << "1.6 entries have no name";
}

TEST(TraceNamesTest, ErrorNamesCoverTheStandardCodesOnly)
{
    EXPECT_STREQ(TraceNameOf(GC_ERROR_LIST(), 0), "GC_ERR_SUCCESS");
    EXPECT_STREQ(TraceNameOf(GC_ERROR_LIST(), -1001), "GC_ERR_ERROR");
    EXPECT_STREQ(TraceNameOf(GC_ERROR_LIST(), -1016), "GC_ERR_BUFFER_TOO_SMALL");
    EXPECT_STREQ(TraceNameOf(GC_ERROR_LIST(), -1022), "GC_ERR_BUSY");
    for (const int32_t code : {-1023, -1000, 1, -10000, std::numeric_limits<int32_t>::min()})
        EXPECT_STREQ(TraceNameOf(GC_ERROR_LIST(), code), "Unknown") << code;
}
