#include "InterfaceDescription.h"

#include "GenApiEmitter.h"
#include "GenApiNode.h"

namespace GenTLCore {

namespace {

const char* const kPort = "InterfacePort";

NodeList InterfaceNodes()
{
    const NodeKind S = NodeKind::String, I = NodeKind::Integer, E = NodeKind::Enumeration, C = NodeKind::Command;
    const NodeKind IR = NodeKind::IntReg, SR = NodeKind::StringReg;
    const std::string Std = "Standard", Cus = "Custom";
    const NodeElement selectedValid = Element("pIsAvailable", "SelectedDeviceValid_Calc");
    const NodeElement noCache = Element("Cachable", "NoCache");
    const NodeElement bySelector = Element("pInvalidator", "DeviceSelector_Val");

    NodeList nodes = {
        // Categories
        Category("Root", Std, "Beginner", "", {"InterfaceInformation", "DeviceEnumeration"}),
        Category("InterfaceInformation", Std, "Beginner", "Interface Information", {"InterfaceID", "InterfaceType"}),
        Category("DeviceEnumeration", Std, "Expert", "Device Enumeration",
                 {"DeviceUpdateList", "DeviceSelector", "DeviceID", "DeviceVendorName", "DeviceModelName",
                  "DeviceAccessStatus", "DeviceSerialNumber", "DeviceUserID"}),

        // Features
        Feature(S, "InterfaceID", Std, "Interface ID", "Expert", "RO", From("InterfaceID_Val")),
        Feature(E, "InterfaceType", Std, "Interface Type", "Expert", "RO", Constant("0"), {},
                {Entry("CoaXPress", Std, "0", "CoaXPress (CXP)")}),
        Feature(C, "DeviceUpdateList", Std, "Device Update List", "Expert", "WO", From("DeviceUpdateList_Val"),
                {Element("CommandValue", "1")}),
        Feature(I, "DeviceSelector", Std, "Device Selector", "Expert", "", From("DeviceSelector_Val"),
                {Element("pIsAvailable", "AnyDeviceExists_Calc"), Element("Min", "0"),
                 Element("pMax", "DeviceSelector_MaxCalc"), Element("pSelected", "DeviceID"),
                 Element("pSelected", "DeviceVendorName"), Element("pSelected", "DeviceModelName"),
                 Element("pSelected", "DeviceAccessStatus"), Element("pSelected", "DeviceSerialNumber"),
                 Element("pSelected", "DeviceUserID")}),
        Feature(S, "DeviceID", Std, "Device ID", "Expert", "RO", From("DeviceID_Val"), {selectedValid}),
        Feature(S, "DeviceVendorName", Std, "Device Vendor Name", "Expert", "RO", From("DeviceVendorName_Val"),
                {selectedValid}),
        Feature(S, "DeviceModelName", Std, "Device Model Name", "Expert", "RO", From("DeviceModelName_Val"),
                {selectedValid}),
        Feature(E, "DeviceAccessStatus", Std, "Device Access Status", "Expert", "RO", From("DeviceAccessStatus_Val"),
                {selectedValid},
                {Entry("Unknown", Std, "0", "Unknown"), Entry("ReadWrite", Std, "1", "Read Write"),
                 Entry("ReadOnly", Std, "2", "Read Only"), Entry("NoAccess", Std, "3", "No Access"),
                 Entry("Busy", Std, "4", "Busy"), Entry("OpenReadWrite", Std, "5", "Open Read Write"),
                 Entry("OpenReadOnly", Std, "6", "Open Read Only")}),
        // The register node's name is DeviceSerialNumer_Val; peers know it by that name.
        Feature(S, "DeviceSerialNumber", Std, "Device Serial Number", "Expert", "RO", From("DeviceSerialNumer_Val"),
                {selectedValid}),
        Feature(S, "DeviceUserID", Std, "Device User ID", "Expert", "RO", From("DeviceUserID_Val"),
                {Element("pIsAvailable", "DeviceUserID_AvailCalc")}),

        // Formula nodes
        SwissKnife("AnyDeviceExists_Calc", Cus, "Invisible", {{"NRDEVS", "NrDevices_Val"}}, " NRDEVS > 0 "),
        SwissKnife("DeviceSelector_MaxCalc", Cus, "Invisible", {{"NRDEVS", "NrDevices_Val"}}, " NRDEVS - 1 "),
        SwissKnife("SelectedDeviceValid_Calc", Cus, "Invisible",
                   {{"ANY_EXISTS", "AnyDeviceExists_Calc"},
                    {"SELECTED", "DeviceSelector_Val"},
                    {"MAX", "DeviceSelector_MaxCalc"}},
                   " ANY_EXISTS && (SELECTED<=MAX) "),
        Feature(I, "DeviceUserID_AvailCalc", Cus, "", "Invisible", "", From(""),
                {Element("pIndex", "SelectedDeviceValid_Calc"),
                 NodeElement{"ValueIndexed", "0", "Index", "0", false},
                 Element("pValueDefault", "DeviceUserID_Avail")}),

        // Register nodes
        Register(SR, "InterfaceID_Val", At("0x0"), 128, "RO", "", kPort),
        Register(SR, "InterfaceDisplayName_Val", At("0x80"), 128, "RO", "", kPort),
        Register(IR, "DeviceUpdateList_Val", At("0x10000000"), 4, "WO", "Unsigned", kPort),
        Register(IR, "NrDevices_Val", At("0x10000004"), 4, "RO", "Unsigned", kPort,
                 {noCache, Element("pInvalidator", "DeviceUpdateList_Val")}),
        Register(IR, "DeviceSelector_Val",
                 Computed(SwissKnife("DeviceSelector_ValAddr", Cus, "Invisible",
                                     {{"ANY_EXISTS", "AnyDeviceExists_Calc"}},
                                     " ANY_EXISTS ? 0x10000008 : 0x0F000000 ")),
                 4, "RW", "Unsigned", kPort,
                 {noCache, Element("pInvalidator", "DeviceUpdateList_Val"),
                  Element("pInvalidator", "NrDevices_Val")}),
        Register(IR, "DeviceAccessStatus_Val", At("0x1000000C"), 4, "RO", "Unsigned", kPort, {noCache, bySelector}),
        Register(SR, "DeviceID_Val", At("0x10000010"), 128, "RO", "", kPort, {noCache, bySelector}),
        Register(SR, "DeviceVendorName_Val", At("0x10000090"), 64, "RO", "", kPort, {noCache, bySelector}),
        Register(SR, "DeviceModelName_Val", At("0x100000D0"), 64, "RO", "", kPort, {noCache, bySelector}),
        Register(SR, "DeviceSerialNumer_Val", At("0x10000110"), 64, "RO", "", kPort, {noCache, bySelector}),
        Register(SR, "DeviceUserID_Val", At("0x10000150"), 64, "RO", "", kPort, {noCache, bySelector}),
        Register(IR, "DeviceUserID_Avail", At("0x10000190"), 4, "RO", "Unsigned", kPort, {noCache, bySelector}),

        // Port
        Port("InterfacePort", Std, "Invisible"),
    };
    return nodes;
}

TextTable InterfaceTexts()
{
    return {
        {"InterfaceInformation",
         "Category that contains all Interface Information features of the Interface module.", ""},
        {"DeviceEnumeration", "Category that contains all Device Enumeration features of the Interface module.", ""},
        {"InterfaceID", "GenTL Producer wide unique identifier of the selected interface.", ""},
        {"InterfaceType", "Transport layer type of the interface.", ""},
        {"InterfaceType/CoaXPress", "CoaXPress (CXP)", ""},
        {"DeviceUpdateList", "Updates the internal device list.", ""},
        {"DeviceSelector",
         "Selector for the different devices on this interface. This value only changes on execution of "
         "\"DeviceUpdateList\".",
         "Selector for the different devices on this interface."},
        {"DeviceID",
         "Interface wide unique identifier of the selected device. This value only changes on execution of "
         "\"DeviceUpdateList\".",
         "Interface wide unique identifier of the selected device."},
        {"DeviceVendorName",
         "Name of the device vendor. This value only changes on execution of \"DeviceUpdateList\".",
         "Name of the device vendor."},
        {"DeviceModelName", "Name of the device model. This value only changes on execution of \"DeviceUpdateList\".",
         "Name of the device model."},
        {"DeviceAccessStatus",
         "Gives the device's access status at the moment of the last execution of \"DeviceUpdateList\". This value "
         "only changes on execution of \"DeviceUpdateList\".",
         "Gives the device's access status at the moment of the last execution of \"DeviceUpdateList\"."},
        {"DeviceAccessStatus/Unknown", "Unknown status", "Unknown status."},
        {"DeviceAccessStatus/ReadWrite", "Full access", "Full access."},
        {"DeviceAccessStatus/ReadOnly", "Read-only access", "Read-only access."},
        {"DeviceAccessStatus/NoAccess", "The device is seen but unreachable", "The device is seen but unreachable."},
        {"DeviceAccessStatus/Busy", "The device is open by another entity", "The device is open by another entity."},
        {"DeviceAccessStatus/OpenReadWrite", "The device is open by this GenTL Producer with RW access",
         "The device is open by this GenTL Producer with RW access."},
        {"DeviceAccessStatus/OpenReadOnly", "The device is open by this GenTL Producer with RO access",
         "The device is open by this GenTL Producer with ROaccess."},
        {"DeviceSerialNumber",
         "Serial number of the remote device. This value only changes on execution of \"DeviceUpdateList\".",
         "Serial number of the remote device."},
        {"DeviceUserID",
         "User-programmable device identifier of the remote device. This value only changes on execution of "
         "\"DeviceUpdateList\".",
         "User-programmable device identifier of the remote device."},
        {"InterfacePort", "The GenICam port through which the Interface module is accessed.", ""},
    };
}

} // namespace

std::string BuildInterfaceXml()
{
    const TextTable texts = InterfaceTexts();
    GenApiEmitter emitter(texts);
    return emitter.Document(InterfaceNodes());
}

} // namespace GenTLCore
