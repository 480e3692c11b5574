#pragma once
#include <platform/pex/Pex.h>

// Every code and value of the imaging library PEX that the back end passes,
// named by what the back end relies on. A name ending in a range ("+ k",
// "+ pin") is the first of a row of codes, one per index.
namespace GenTLCore::PexCode {

// Values of every area.
constexpr PEX_INT kDefault = PEX_DEFAULT;  // default context, object and value
constexpr PEX_INT kEnable = -9997;
constexpr PEX_INT kDisable = -9999;
constexpr PEX_INT kUnhook = PEX_UNHOOK;  // added to a hook type: removes the hook
constexpr PEX_INT kTextSize = 0x50000000000LL;  // added to a text code: the text's size in wide characters
constexpr PEX_ID kLibraryOwnedIdBit = 0x800000;  // an id with this bit belongs to the library: never freed

// Application: installed systems (+ k, the system's index), the timer, errors.
constexpr PEX_INT kAppInstalledSystems = 15121;
constexpr PEX_INT kAppSystemType = 24920;  // + k
constexpr PEX_INT kAppSystemName = 22064;  // + k, text
constexpr PEX_INT kAppSystemBoards = 25500;  // + k
constexpr PEX_INT kAppTimerSeconds = 0x30000;  // PexAppTimer: seconds as a double
constexpr PEX_INT kAppErrorHook = PEX_ERROR_CURRENT_HOOK;
constexpr PEX_INT kAppErrorCode = PEX_ERROR_CURRENT;  // the current error's code, 0 for none
// The current error's message texts, in the order they are joined.
constexpr PEX_INT kAppErrorMessage = 0x21000008;
constexpr PEX_INT kAppErrorDetail1 = 0x210B0000;
constexpr PEX_INT kAppErrorDetail2 = 0x210C0000;
constexpr PEX_INT kAppErrorDetail3 = 0x210D0000;

// Systems (one board each).
constexpr PEX_INT kSysDiscoverCameras = 1081;  // control: look for the cameras on the board
constexpr PEX_INT kSysCamerasFound = 1082;
constexpr PEX_INT kSysDigitizerCount = 2004;
constexpr PEX_INT kSysNumber = 1009;  // the board's number among the boards of its type
constexpr PEX_INT kSysSelectedThread = 1103;  // the calling thread's selected thread object
constexpr PEX_INT kSysBoardSerial = 7703;  // text
constexpr PEX_INT kSysBoardValue = 2155;
// Per camera found (+ i, the camera's index): its digitizer number and its
// bootstrap texts.
constexpr PEX_INT kSysCameraDeviceNumber = 1200;
constexpr PEX_INT kSysCameraModel = 33000;
constexpr PEX_INT kSysCameraVendor = 33256;
constexpr PEX_INT kSysCameraManufacturerInfo = 33512;
constexpr PEX_INT kSysCameraUserName = 33768;
constexpr PEX_INT kSysCameraVersion = 34024;
constexpr PEX_INT kSysCameraSerial = 34280;

// Digitizers: allocation.
constexpr const wchar_t* kDigDefaultFormat = L"PX_DEFAULT";
constexpr PEX_INT kDigAllocFlags = 4096;

// Digitizers: settings made at open, and their values.
constexpr PEX_INT kDigGrabTimeout = 4127;
constexpr PEX_INT kGrabTimeoutInfinite = -1;
constexpr PEX_INT kDigGrabMode = 4016;
constexpr PEX_INT kGrabModeQueued = 3;
constexpr PEX_INT kDigGrabFailCheck = 4133;
constexpr PEX_INT kGrabFailCheckOn = 1;
constexpr PEX_INT kDigCxpSetting = 4379;  // enabled on every CoaXPress open

// Digitizers: the image.
constexpr PEX_INT kDigWidth = 1536;  // the camera's whole image
constexpr PEX_INT kDigHeight = 1537;
constexpr PEX_INT kDigBands = 1005;
constexpr PEX_INT kDigBitDepth = 1007;
constexpr PEX_INT kDigDataType = 1008;
constexpr PEX_INT kDigCameraPixelFormat = 5198;
constexpr PEX_INT kDigRoiWidth = 4022;
constexpr PEX_INT kDigRoiHeight = 4023;
constexpr PEX_INT kDigRoiOffsetX = 4024;
constexpr PEX_INT kDigRoiOffsetY = 4025;
constexpr PEX_INT kDigScaleX = 6601;  // double: the reciprocal of the decimation
constexpr PEX_INT kDigScaleY = 6602;
constexpr PEX_INT kDigReverseX = 4230;
constexpr PEX_INT kDigReverseY = 4231;
constexpr PEX_INT kReverseOff = 1;
constexpr PEX_INT kReverseOn = 4;
constexpr PEX_INT kDigBayerConversion = 5326;  // kEnable or kDisable
constexpr PEX_INT kDigBayerCoefficients = 5328;  // id of the white-balance buffer the conversion applies
constexpr PEX_INT kDigWhiteBalanceOnce = 5112;
constexpr PEX_INT kWhiteBalanceCompute = 1;

// Digitizers: grabbing.
constexpr PEX_INT kDigGrabbing = 4128;  // non-zero while a grab runs
constexpr PEX_INT kDigRefreshSettings = 5325;  // brings ROI and offsets within the camera's image
constexpr PEX_INT kDigGrabAbort = 6643;
constexpr PEX_INT kDigMissedFrameCount = 5348;  // kEnable or kDisable: counting of missed frames
constexpr PEX_INT kDigMissedFrames = 5347;
constexpr PEX_INT kDigMissedFramesReset = 5349;

// Digitizers: the camera's description manifest (+ k, the entry's index).
constexpr PEX_INT kDigManifestCount = 5455;
constexpr PEX_INT kDigManifestUrl = 7862;  // text
constexpr PEX_INT kDigManifestFileMajor = 5456;
constexpr PEX_INT kDigManifestFileMinor = 5472;
constexpr PEX_INT kDigManifestFileSubMinor = 5488;
constexpr PEX_INT kDigManifestSchemaMajor = 5504;
constexpr PEX_INT kDigManifestSchemaMinor = 5520;
constexpr PEX_INT kDigManifestSha1 = 6805;  // 20 bytes

// Digitizers: the camera's registers (PexDigRegRead, PexDigRegWrite).
constexpr PEX_INT kCxpRegisterReadSpace = 0x1B04;
constexpr PEX_INT kCxpRegisterWriteSpace = 0x1B05;

// Digitizers: auxiliary I/O pins (+ pin).
constexpr PEX_INT kAuxPinFirst = 0x501;
constexpr PEX_INT kAuxPinLast = 0x51F;
constexpr PEX_INT kAuxPinCount = kAuxPinLast - kAuxPinFirst + 1;
constexpr PEX_INT kDigAuxPinMode = 0x85000;
constexpr PEX_INT kAuxPinEventInput = 12;
constexpr PEX_INT kDigAuxPinRisingEdge = 0x89000;  // kEnable or kDisable: the pin's rising-edge interrupt

// Rotary encoders and timers of a digitizer.
constexpr PEX_INT kEncoderFirst = 0x710;  // then 0x720, 0x730, 0x740
constexpr PEX_INT kEncoderStep = 0x10;

// Hook types of a digitizer.
constexpr PEX_INT kHookGrabStart = 0x4;
constexpr PEX_INT kHookFrameStart = 0xD;
constexpr PEX_INT kHookFrameEnd = 0x5;
constexpr PEX_INT kHookGrabEnd = 0x3;
constexpr PEX_INT kHookLineEnd = 0x200000;
constexpr PEX_INT kHookIoChange = 0x8B000;  // every auxiliary pin
constexpr PEX_INT kHookEncoder = 0x700;  // + encoder
constexpr PEX_INT kHookTimerStart = 0x300;  // + timer (1 to 4)
constexpr PEX_INT kHookTimerEnd = 0x400;  // + timer
// Hook types of a buffer.
constexpr PEX_INT kHookBufferModified = 21;
constexpr PEX_INT kHookBufferCancelled = 22;

// Hook information (PexGetHookInfo) of an event.
constexpr PEX_INT kInfoTimeStamp = 64;  // double, seconds
constexpr PEX_INT kInfoEventCounter = 0x1C0000;
constexpr PEX_INT kInfoFrameCounter = 0x40160000;
constexpr PEX_INT kInfoGrabStatus = 0x111A;
constexpr PEX_INT kInfoEncoderPosition = 0x26000;  // + encoder
constexpr PEX_INT kInfoTimerEndCount = 0x20320;  // + timer
constexpr PEX_INT kInfoOffsetX = 0x40410000;
constexpr PEX_INT kInfoOffsetY = 0x40420000;
constexpr PEX_INT kInfoWidth = 0x40430000;
constexpr PEX_INT kInfoHeight = 0x40480000;
constexpr PEX_INT kInfoDeliveredLines = 4378;
constexpr PEX_INT kInfoLine = 0x100000;  // the last line drawn
constexpr PEX_INT kInfoLineEnd = 0x200000;  // the lines delivered
constexpr PEX_INT kInfoPin = 0x8A000;
constexpr PEX_INT kInfoIoState = 0x81000;

// Buffers: allocation.
constexpr PEX_INT kDataTypeUnsigned8 = 8;
constexpr PEX_INT kDataTypeFloat32 = 0x48000020;
constexpr PEX_INT kBufImageGrab = 12;  // an image buffer a digitizer grabs into
constexpr PEX_INT kBufPackedBgr8 = 0x20800;  // added for three 8-bit bands
constexpr PEX_INT kBufPackedBgr16 = 0x20B00;  // added for three bands of other types
constexpr PEX_INT kBufArray = 64;  // a one-dimensional array

// Buffers: inquiries.
constexpr PEX_INT kBufByteSize = 5061;
constexpr PEX_INT kBufPitchBytes = 0x8000000;
constexpr PEX_INT kBufFormat = 6702;
constexpr PEX_INT kBufBands = 1005;
constexpr PEX_INT kBufPixelFormat = 5101;
constexpr PEX_INT kBufHostAddress = 0x10000;

// Thread objects: calls made while one is selected queue on it.
constexpr PEX_INT kThrSelectable = 4096;
constexpr PEX_INT kThrEvent = 128;
constexpr PEX_INT kThrEventMode = 0x4020;
constexpr PEX_INT kThrSelect = 1708;
constexpr PEX_INT kThrDropPending = 1810;
constexpr PEX_INT kThrEventState = 1707;
constexpr PEX_INT kThrEventSet = 16;
constexpr PEX_INT kThrEventClear = 32;
constexpr PEX_INT kThrWaitForEvent = 0x8000000;  // PexThrWait: holds back what is queued behind it

}  // namespace GenTLCore::PexCode
