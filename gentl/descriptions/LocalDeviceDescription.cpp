#include "LocalDeviceDescription.h"

#include "GenApiEmitter.h"
#include "GenApiNode.h"
#include "ImageFormatDescription.h"

namespace GenTLCore {

namespace {

const char* const kPort = "DevicePort";

NodeList LocalDeviceNodes()
{
    const NodeKind S = NodeKind::String, I = NodeKind::Integer, E = NodeKind::Enumeration, C = NodeKind::Command;
    const NodeKind IR = NodeKind::IntReg, SR = NodeKind::StringReg;
    const std::string Std = "Standard", Cus = "Custom";
    const NodeElement byApply = Element("pInvalidator", "DeviceEventsThreadApplyPriority_Val");
    const NodeElement engineImplemented = Element("pIsImplemented", "DeviceEventEngineControl_Impl");

    NodeList nodes = {
        // Categories
        Category("Root", Std, "Beginner", "",
                 {"DeviceInformation", "StreamEnumeration", "DeviceEventsEngineControl", "ImageFormatControl",
                  "AnalogControl"}),
        Category("DeviceInformation", Std, "Beginner", "Device Information",
                 {"DeviceID", "DeviceSerialNumber", "DeviceUserID", "DeviceVendorName", "DeviceModelName",
                  "DeviceVersion", "DeviceManufacturerInfo", "DeviceType", "DeviceAccessStatus"}),
        Category("StreamEnumeration", Std, "Beginner", "Stream Enumeration", {"StreamSelector", "StreamID"}),
        Category("DeviceEventsEngineControl", Cus, "Guru", "Device Events Engine Control",
                 {"DeviceEventsThreadSchedulingPolicy", "DeviceEventsThreadPriority",
                  "DeviceEventsThreadApplyPriority"},
                 {engineImplemented}),

        // Features and helper nodes (display names as peers show them, trailing blanks included)
        Feature(S, "DeviceID", Std, "Device ID ", "Expert", "RO", From("DeviceID_Val")),
        Feature(S, "DeviceSerialNumber", Std, "Device Serial Number", "Expert", "RO", From("DeviceSerialNumber_Val")),
        Feature(S, "DeviceUserID", Std, "Device User ID", "Expert", "RO", From("DeviceUserID_Val"),
                {Element("pIsAvailable", "DeviceUserID_Avail")}),
        Feature(S, "DeviceVendorName", Std, "Device Vendor Name  ", "Beginner", "RO", From("DeviceVendorName_Val")),
        Feature(S, "DeviceModelName", Std, "Device Model Name", "Beginner", "RO", From("DeviceModelName_Val")),
        Feature(S, "DeviceVersion", Std, "Device Version", "Beginner", "RO", From("DeviceVersion_Val")),
        Feature(S, "DeviceManufacturerInfo", Std, "Device Manufacturer Info", "Beginner", "RO",
                From("DeviceManufacturerInfo_Val")),
        Feature(E, "DeviceType", Std, "Device Type", "Expert", "RO", Constant("0"), {},
                {Entry("CoaXPress", Std, "0", "CoaXPress (CXP)")}),
        Feature(E, "DeviceAccessStatus", Std, "Device Access Status", "Expert", "RO", From("DeviceAccessStatus_Val"),
                {},
                {Entry("Unknown", Std, "0", "Unknown"), Entry("OpenReadWrite", Std, "5", "Open Read Write"),
                 Entry("OpenReadOnly", Std, "6", "Open Read Only")}),
        Feature(I, "StreamSelector", Std, "Stream Selector", "Beginner", "", From("StreamSelector_Val"),
                {Element("pIsAvailable", "AnyStreamExists_Calc"), Element("Min", "0"),
                 Element("pMax", "StreamSelector_MaxCalc"), Element("pSelected", "StreamID")}),
        SwissKnife("AnyStreamExists_Calc", Cus, "Invisible", {{"NRSTRMS", "NrStreams_Val"}}, " NRSTRMS > 0 "),
        SwissKnife("StreamSelector_MaxCalc", Cus, "Invisible", {{"NRSTRMS", "NrStreams_Val"}}, " NRSTRMS - 1 "),
        SwissKnife("SelectedStreamValid_Calc", Cus, "Invisible",
                   {{"ANY_EXISTS", "AnyStreamExists_Calc"},
                    {"SELECTED", "StreamSelector_Val"},
                    {"MAX", "StreamSelector_MaxCalc"}},
                   " ANY_EXISTS && (SELECTED<=MAX) "),
        Feature(S, "StreamID", Std, "Stream ID", "Beginner", "RO", From("StreamID_Val"),
                {Element("pIsAvailable", "SelectedStreamValid_Calc")}),
        Feature(I, "DeviceEventsThreadSchedulingPolicy", Cus, "Device Events Thread Scheduling Policy", "Guru", "",
                From("DeviceEventsThreadSchedulingPolicy_Val"),
                {Element("pIsImplemented", "EventsAndSchedPolicy_ImplCalc"),
                 Element("Representation", "PureNumber")}),
        SwissKnife("EventsAndSchedPolicy_ImplCalc", Cus, "Invisible",
                   {{"EVENTS", "DeviceEventEngineControl_Impl"},
                    {"SCHED_POLICY", "DeviceEventsThreadSchedulingPolicy_Impl"}},
                   " EVENTS && SCHED_POLICY "),
        Feature(I, "DeviceEventsThreadPriority", Cus, "Device Events Thread Priority", "Guru", "",
                From("DeviceEventsThreadPriority_Val"), {engineImplemented, Element("Representation", "PureNumber")}),
        Feature(C, "DeviceEventsThreadApplyPriority", Cus, "Device Events Thread Apply Priority", "Guru", "WO",
                From("DeviceEventsThreadApplyPriority_Val"), {engineImplemented, Element("CommandValue", "1")}),

        // Register nodes on the framework's standard local-device registers
        Register(SR, "DeviceID_Val", At("0x0"), 128, "RO", "", kPort),
        Register(SR, "DeviceSerialNumber_Val", At("0x80"), 64, "RO", "", kPort),
        Register(SR, "DeviceUserID_Val", At("0xC0"), 64, "RO", "", kPort),
        Register(SR, "DeviceVendorName_Val", At("0x100"), 64, "RO", "", kPort),
        Register(SR, "DeviceModelName_Val", At("0x140"), 64, "RO", "", kPort),
        Register(SR, "DeviceVersion_Val", At("0x180"), 64, "RO", "", kPort),
        Register(SR, "DeviceManufacturerInfo_Val", At("0x1C0"), 64, "RO", "", kPort),
        Register(SR, "DeviceDisplayName_Val", At("0x200"), 128, "RO", "", kPort),
        Register(IR, "DeviceAccessStatus_Val", At("0x280"), 4, "RO", "Unsigned", kPort),
        Register(IR, "DeviceUserID_Avail", At("0x284"), 4, "RO", "Unsigned", kPort),
        Register(IR, "NrStreams_Val", At("0x10000000"), 4, "RO", "Unsigned", kPort),
        Register(IR, "StreamSelector_Val",
                 Computed(SwissKnife("StreamSelector_ValAddr", Cus, "Invisible",
                                     {{"ANY_EXISTS", "AnyStreamExists_Calc"}},
                                     " ANY_EXISTS ? 0x10000004 : 0x0F000000 ")),
                 4, "RW", "Unsigned", kPort, {Element("pInvalidator", "NrStreams_Val")}),
        Register(SR, "StreamID_Val", At("0x10000010"), 128, "RO", "", kPort,
                 {Element("pInvalidator", "StreamSelector_Val")}),
        Register(IR, "DeviceEventEngineControl_Impl", At("0x20000000"), 4, "RO", "Unsigned", kPort),
        Register(IR, "DeviceEventsThreadSchedulingPolicy_Impl", At("0x20000004"), 4, "RO", "Unsigned", kPort),
        Register(IR, "DeviceEventsThreadSchedulingPolicy_Val", At("0x20000008"), 4, "RW", "Signed", kPort,
                 {byApply}),
        Register(IR, "DeviceEventsThreadPriority_Val", At("0x2000000C"), 4, "RW", "Signed", kPort, {byApply}),
        Register(IR, "DeviceEventsThreadApplyPriority_Val", At("0x20000010"), 4, "WO", "Unsigned", kPort),

        // Port
        Port("DevicePort", Std, "Invisible"),
    };

    const NodeList imageFormat = ImageFormatNodes(kPort);
    nodes.insert(nodes.end(), imageFormat.begin(), imageFormat.end());
    return nodes;
}

TextTable LocalDeviceTexts()
{
    TextTable texts = {
        {"DeviceInformation", "Category that contains all Device Information features of the Device module.", ""},
        {"StreamEnumeration", "Category that contains all Stream Enumeration features of the Device module.", ""},
        {"DeviceEventsEngineControl", "Contains all features for detailed control of the device events engine.", ""},
        {"DeviceID", "Interface-wide unique identifier of this device.", ""},
        {"DeviceSerialNumber", "Serial number of the remote device.", ""},
        {"DeviceUserID", "User-programmable device identifier of the remote device.", ""},
        {"DeviceVendorName", "Name of the remote device vendor.", ""},
        {"DeviceModelName", "Name of the remote device model.", ""},
        {"DeviceVersion", "Name of the version of the remote device model.", ""},
        {"DeviceManufacturerInfo", "Manufacturer information about the remote device.", ""},
        {"DeviceType", "Transport layer type of the device.", ""},
        {"DeviceType/CoaXPress", "CoaXPress (CXP)", ""},
        {"DeviceAccessStatus", "Gets the access status the GenTL Producer has on the device:",
         "Gets the access status the GenTL Producer has on the device:."},
        {"DeviceAccessStatus/Unknown", "Unknown status", "Unknown status."},
        {"DeviceAccessStatus/OpenReadWrite", "The device is open by this GenTL Producer with RW access",
         "The device is open by this GenTL Producer with RW access."},
        {"DeviceAccessStatus/OpenReadOnly", "The device is open by this GenTL Producer with RO access",
         "The device is open by this GenTL Producer with ROaccess."},
        {"StreamSelector", "Selector for the different stream channels.", ""},
        {"StreamID", "Device unique ID for the stream, e.g. a GUID.", "Device unique ID for the stream, e."},
        {"DeviceEventsThreadSchedulingPolicy",
         "Scheduling policy of the device events handling thread. Expressed as pure number expressing the "
         "scheduling policy on given system.",
         "Scheduling policy of the device events handling thread."},
        {"DeviceEventsThreadPriority",
         "Priority of the device events handling thread. Expressed as pure number expressing the priority on given "
         "system.",
         "Priority of the device events handling thread."},
        {"DeviceEventsThreadApplyPriority",
         "Applies thread priority parameter(s) and triggers re-read of the actual values.",
         "Applies thread priority parameter(s)."},
        {"DevicePort", "The GenICam port through which the Device module is accessed.", ""},
    };
    const TextTable imageFormat = ImageFormatTexts();
    texts.insert(texts.end(), imageFormat.begin(), imageFormat.end());
    return texts;
}

} // namespace

std::string BuildLocalDeviceXml()
{
    const TextTable texts = LocalDeviceTexts();
    GenApiEmitter emitter(texts);
    return emitter.Document(LocalDeviceNodes());
}

} // namespace GenTLCore
