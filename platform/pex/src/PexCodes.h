#pragma once
#include "platform/pex/Pex.h"

// Codes, values and error numbers of the library, in one place for every area.
namespace platform::pex::code {

constexpr PEX_INT kDefault = PEX_DEFAULT;
constexpr PEX_INT kEnable = -9997;
constexpr PEX_INT kDisable = -9999;
constexpr PEX_INT kUnhook = PEX_UNHOOK;
constexpr PEX_INT kSizeForm = 0x50000000000LL;

// Application.
constexpr PEX_INT kAppSetting = 0x41000000;
constexpr PEX_INT kInstalledSystems = 15121;
constexpr PEX_INT kSystemType = 24920;
constexpr PEX_INT kSystemName = 22064;
constexpr PEX_INT kSystemBoards = 25500;
constexpr PEX_INT kTimerSeconds = 0x30000;
constexpr PEX_INT kErrorHook = PEX_ERROR_CURRENT_HOOK;
constexpr PEX_INT kErrorCurrent = PEX_ERROR_CURRENT;
constexpr PEX_INT kErrorMain = 0x21000008;
constexpr PEX_INT kErrorSub1 = 0x210B0000;
constexpr PEX_INT kErrorSub2 = 0x210C0000;
constexpr PEX_INT kErrorSub3 = 0x210D0000;

// Systems.
constexpr PEX_INT kSysDiscover = 1081;
constexpr PEX_INT kSysCamerasFound = 1082;
constexpr PEX_INT kSysBoardNumber = 1009;
constexpr PEX_INT kSysDeviceNumber = 1200;
constexpr PEX_INT kSysModel = 33000;
constexpr PEX_INT kSysVendor = 33256;
constexpr PEX_INT kSysManufacturerInfo = 33512;
constexpr PEX_INT kSysUserName = 33768;
constexpr PEX_INT kSysVersion = 34024;
constexpr PEX_INT kSysSerial = 34280;
constexpr PEX_INT kSysTextSpan = 256;
constexpr PEX_INT kSysDigitizerCount = 2004;
constexpr PEX_INT kSysBoardSerial = 7703;
constexpr PEX_INT kSysBoardValue = 2155;
constexpr PEX_INT kSysSelectedThread = 1103;

// Digitizers.
constexpr PEX_INT kDigWidth = 1536;
constexpr PEX_INT kDigHeight = 1537;
constexpr PEX_INT kDigBands = 1005;
constexpr PEX_INT kDigBits = 1007;
constexpr PEX_INT kDigType = 1008;
constexpr PEX_INT kDigRoiWidth = 4022;
constexpr PEX_INT kDigRoiHeight = 4023;
constexpr PEX_INT kDigRoiX = 4024;
constexpr PEX_INT kDigRoiY = 4025;
constexpr PEX_INT kDigScaleX = 6601;
constexpr PEX_INT kDigScaleY = 6602;
constexpr PEX_INT kDigReverseX = 4230;
constexpr PEX_INT kDigReverseY = 4231;
constexpr PEX_INT kDigBayer = 5326;
constexpr PEX_INT kDigWhiteBalanceOnce = 5112;
constexpr PEX_INT kDigCoefficients = 5328;
constexpr PEX_INT kDigRefresh = 5325;
constexpr PEX_INT kDigMissedReset = 5349;
constexpr PEX_INT kDigMissed = 5347;
constexpr PEX_INT kDigAbort = 6643;
constexpr PEX_INT kDigCameraFormat = 5198;
constexpr PEX_INT kDigGrabbing = 4128;
constexpr PEX_INT kDigManifestCount = 5455;
constexpr PEX_INT kDigManifestUrl = 7862;
constexpr PEX_INT kDigFileMajor = 5456;
constexpr PEX_INT kDigFileMinor = 5472;
constexpr PEX_INT kDigFileSubMinor = 5488;
constexpr PEX_INT kDigSchemaMajor = 5504;
constexpr PEX_INT kDigSchemaMinor = 5520;
constexpr PEX_INT kDigSha1 = 6805;
constexpr PEX_INT kDigPinMode = 0x85000;
constexpr PEX_INT kDigPinInterrupt = 0x89000;
constexpr PEX_INT kPinFirst = 0x501;
constexpr PEX_INT kPinLast = 0x51F;
constexpr PEX_INT kPinEventInput = 12;
constexpr PEX_INT kReverseOff = 1;
constexpr PEX_INT kReverseOn = 4;
constexpr PEX_INT kRegReadSpace = 0x1B04;
constexpr PEX_INT kRegWriteSpace = 0x1B05;
// Settings the library only stores.
constexpr PEX_INT kDigGrabTimeout = 4127;
constexpr PEX_INT kDigGrabMode = 4016;
constexpr PEX_INT kDigGrabFailCheck = 4133;
constexpr PEX_INT kDigCxpSetting = 4379;
constexpr PEX_INT kDigMissedFrameCount = 5348;

// Hook types.
constexpr PEX_INT kHookGrabStart = 4;
constexpr PEX_INT kHookFrameStart = 0xD;
constexpr PEX_INT kHookLineEnd = 0x200000;
constexpr PEX_INT kHookLine = 0x100000;
constexpr PEX_INT kHookFrameEnd = 5;
constexpr PEX_INT kHookGrabEnd = 3;
constexpr PEX_INT kHookIoChange = 0x8B000;
constexpr PEX_INT kHookEncoder1 = 0xE10;
constexpr PEX_INT kHookTimerStart1 = 0x301;
constexpr PEX_INT kHookTimerEnd1 = 0x401;
constexpr PEX_INT kHookModified = 21;
constexpr PEX_INT kHookCancelled = 22;

// Hook information.
constexpr PEX_INT kInfoTimeStamp = 64;
constexpr PEX_INT kInfoOffsetX = 0x40410000;
constexpr PEX_INT kInfoOffsetY = 0x40420000;
constexpr PEX_INT kInfoWidth = 0x40430000;
constexpr PEX_INT kInfoHeight = 0x40480000;
constexpr PEX_INT kInfoLines = 4378;
constexpr PEX_INT kInfoEventCounter = 0x1C0000;
constexpr PEX_INT kInfoLine = 0x100000;
constexpr PEX_INT kInfoLineEnd = 0x200000;
constexpr PEX_INT kInfoFrameCounter = 0x40160000;
constexpr PEX_INT kInfoGrabStatus = 0x111A;
constexpr PEX_INT kInfoEncoder1 = 0x26710;
constexpr PEX_INT kInfoTimer1 = 0x20321;
constexpr PEX_INT kInfoPin = 0x8A000;
constexpr PEX_INT kInfoIoState = 0x81000;

// Buffers.
constexpr PEX_INT kBufImageGrab = 12;
constexpr PEX_INT kBufPacked8 = 0x20800;
constexpr PEX_INT kBufPacked16 = 0x20B00;
constexpr PEX_INT kBufBytes = 5061;
constexpr PEX_INT kBufHostAddress = 0x10000;
constexpr PEX_INT kBufPitch = 0x8000000;
constexpr PEX_INT kBufFormat = 6702;
constexpr PEX_INT kBufBands = 1005;
constexpr PEX_INT kBufPixelFormat = 5101;
constexpr PEX_INT kBufFloat32 = 0x48000020;

// Thread objects.
constexpr PEX_INT kThrSelectable = 4096;
constexpr PEX_INT kThrEvent = 128;
constexpr PEX_INT kThrSelect = 1708;
constexpr PEX_INT kThrEventControl = 1707;
constexpr PEX_INT kThrEventSet = 16;
constexpr PEX_INT kThrEventClear = 32;
constexpr PEX_INT kThrDropPending = 1810;

// Error numbers the library raises.
constexpr PEX_INT kErrInvalidContext = 1;
constexpr PEX_INT kErrInvalidCode = 2;
constexpr PEX_INT kErrInvalidValue = 3;
constexpr PEX_INT kErrInvalidId = 4;
constexpr PEX_INT kErrRefused = 5;
constexpr PEX_INT kErrBusy = 6;
constexpr PEX_INT kErrNotFound = 7;
constexpr PEX_INT kErrRegister = 8;
constexpr PEX_INT kErrOutOfMemory = 9;

}  // namespace platform::pex::code
