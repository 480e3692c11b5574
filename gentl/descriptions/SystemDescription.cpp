#include "SystemDescription.h"

#include "GenApiEmitter.h"
#include "GenApiNode.h"

namespace GenTLCore {

namespace {

const char* const kPort = "TLPort";

NodeList SystemNodes()
{
    const NodeKind S = NodeKind::String, I = NodeKind::Integer, E = NodeKind::Enumeration, C = NodeKind::Command;
    const NodeKind IR = NodeKind::IntReg, SR = NodeKind::StringReg;
    const std::string Std = "Standard", Cus = "Custom";

    NodeList nodes = {
        // Categories
        Category("Root", Std, "Beginner", "", {"SystemInformation", "InterfaceEnumeration"}),
        Category("SystemInformation", Std, "Beginner", "System Information",
                 {"TLID", "TLVendorName", "TLModelName", "TLVersion", "TLFileName", "TLPath", "TLType",
                  "GenTLVersionMajor", "GenTLVersionMinor", "GenTLSFNCVersionMajor", "GenTLSFNCVersionMinor"}),
        Category("InterfaceEnumeration", Std, "Beginner", "Interface Enumeration",
                 {"InterfaceUpdateList", "InterfaceSelector", "InterfaceID"}),

        // Features
        Feature(S, "TLID", Std, "TLID", "Expert", "RO", From("TLID_Val")),
        Feature(S, "TLVendorName", Std, "TL Vendor Name", "Beginner", "RO", From("TLVendorName_Val")),
        Feature(S, "TLModelName", Std, "TL Model Name", "Beginner", "RO", From("TLModelName_Val")),
        Feature(S, "TLVersion", Std, "TL Version", "Beginner", "RO", From("TLVersion_Val")),
        Feature(S, "TLFileName", Std, "TL Name", "Expert", "RO", From("TLFileName_Val")),
        Feature(S, "TLPath", Std, "TL Path", "Expert", "RO", From("TLPath_Val")),
        Feature(E, "TLType", Std, "TL Type", "Expert", "RO", Constant("0"), {},
                {Entry("CoaXPress", Std, "0", "CoaXPress (CXP)")}),
        Feature(I, "GenTLVersionMajor", Std, "Gen TL Version Major", "Expert", "RO", From("GenTLVersionMajor_Val")),
        Feature(I, "GenTLVersionMinor", Std, "Gen TL Version Minor", "Expert", "RO", From("GenTLVersionMinor_Val")),
        Feature(I, "GenTLSFNCVersionMajor", Std, "GenTL SFNC Version Major", "Expert", "RO", Constant("1")),
        Feature(I, "GenTLSFNCVersionMinor", Std, "GenTL SFNC Version Minor", "Expert", "RO", Constant("1")),
        Feature(C, "InterfaceUpdateList", Std, "Interface Update List", "Beginner", "WO",
                From("InterfaceUpdateList_Val"), {Element("CommandValue", "1")}),
        Feature(I, "InterfaceSelector", Std, "Interface Selector", "Beginner", "", From("InterfaceSelector_Val"),
                {Element("pIsAvailable", "AnyInterfaceExists_Calc"), Element("Min", "0"),
                 Element("pMax", "InterfaceSelector_MaxCalc"), Element("pSelected", "InterfaceID")}),
        Feature(S, "InterfaceID", Std, "Interface ID", "Beginner", "RO", From("InterfaceID_Val"),
                {Element("pIsAvailable", "SelectedInterfaceValid_Calc")}),

        // Formula nodes
        SwissKnife("AnyInterfaceExists_Calc", Cus, "Invisible", {{"NRINTS", "NrInterfaces_Val"}}, " NRINTS > 0 "),
        SwissKnife("InterfaceSelector_MaxCalc", Cus, "Invisible", {{"NRINTS", "NrInterfaces_Val"}}, " NRINTS - 1 "),
        SwissKnife("SelectedInterfaceValid_Calc", Cus, "Invisible",
                   {{"ANY_EXISTS", "AnyInterfaceExists_Calc"},
                    {"SELECTED", "InterfaceSelector_Val"},
                    {"MAX", "InterfaceSelector_MaxCalc"}},
                   " ANY_EXISTS && (SELECTED<=MAX) "),

        // Register nodes
        Register(SR, "TLID_Val", At("0x0"), 512, "RO", "", kPort),
        Register(SR, "TLPath_Val", At("0x200"), 512, "RO", "", kPort),
        Register(SR, "TLVendorName_Val", At("0x400"), 32, "RO", "", kPort),
        Register(SR, "TLModelName_Val", At("0x420"), 32, "RO", "", kPort),
        Register(SR, "TLFileName_Val", At("0x440"), 32, "RO", "", kPort),
        Register(SR, "TLDisplayName_Val", At("0x460"), 32, "RO", "", kPort),
        Register(SR, "TLVersion_Val", At("0x480"), 16, "RO", "", kPort),
        Register(IR, "GenTLVersionMajor_Val", At("0x490"), 4, "RO", "Unsigned", kPort),
        Register(IR, "GenTLVersionMinor_Val", At("0x494"), 4, "RO", "Unsigned", kPort),
        Register(IR, "InterfaceUpdateList_Val", At("0x10000000"), 4, "WO", "Unsigned", kPort),
        Register(IR, "NrInterfaces_Val", At("0x10000004"), 4, "RO", "Unsigned", kPort,
                 {Element("Cachable", "NoCache"), Element("pInvalidator", "InterfaceUpdateList_Val")}),
        Register(IR, "InterfaceSelector_Val",
                 Computed(SwissKnife("InterfaceSelector_ValAddr", Cus, "Invisible",
                                     {{"ANY_EXISTS", "AnyInterfaceExists_Calc"}},
                                     " ANY_EXISTS ? 0x10000008 : 0x0F000000 ")),
                 4, "RW", "Unsigned", kPort,
                 {Element("Cachable", "NoCache"), Element("pInvalidator", "InterfaceUpdateList_Val"),
                  Element("pInvalidator", "NrInterfaces_Val")}),
        Register(SR, "InterfaceID_Val", At("0x10000010"), 128, "RO", "", kPort,
                 {Element("Cachable", "NoCache"), Element("pInvalidator", "InterfaceSelector_Val")}),
        Register(IR, "EventTestValue", At("0x04"), 4, "RO", "", "TestEventPort", {}, Cus),

        // Ports
        Port("TLPort", Std, "Invisible"),
        Port("TestEventPort", Cus, "Invisible", {Element("EventID", "11111101")}),
    };
    return nodes;
}

TextTable SystemTexts()
{
    return {
        {"SystemInformation", "Category that contains all System Information features of the System module.", ""},
        {"InterfaceEnumeration", "Category that contains all Interface Enumeration features of the System module.",
         ""},
        {"TLID", "Unique identifier of the GenTL Producer.", ""},
        {"TLVendorName", "Name of the GenTL Producer vendor.", ""},
        {"TLModelName",
         "Name of the GenTL Producer to distinguish different kinds of GenTL Producer implementations from one "
         "vendor.",
         ""},
        {"TLVersion", "Vendor specific version string.", ""},
        {"TLFileName", "File name including extension of the library.", ""},
        {"TLPath", "Full path to the GenTL Producer driver including name and extension.", ""},
        {"TLType", "Transport layer type of the GenTL Producer implementation.", ""},
        {"TLType/CoaXPress", "CoaXPress (CXP)", ""},
        {"GenTLVersionMajor",
         "Major version number of the GenTL specification the GenTL Producer implementation complies with.", ""},
        {"GenTLVersionMinor",
         "Minor version number of the GenTL specification the GenTL Producer implementation complies with.", ""},
        {"GenTLSFNCVersionMajor",
         "Major version number of the GenTL Standard Features Naming Convention that was used to create the GenTL "
         "Producer's XML.",
         ""},
        {"GenTLSFNCVersionMinor",
         "Minor version number of the GenTL Standard Features Naming Convention that was used to create the GenTL "
         "Producer's XML.",
         ""},
        {"InterfaceUpdateList", "Updates the internal interface list.", ""},
        {"InterfaceSelector",
         "Selector for the different GenTL Producer interfaces. This interface list only changes on execution of "
         "\"InterfaceUpdateList\".",
         "Selector for the different GenTL Producer interfaces."},
        {"InterfaceID",
         "GenTL Producer wide unique identifier of the selected interface. This interface list only changes on "
         "execution of \"InterfaceUpdateList\".",
         "GenTL Producer wide unique identifier of the selected interface."},
        {"TLPort", "The GenICam port through which the System module is accessed.", ""},
        {"TestEventPort", "Port for test event features.", ""},
    };
}

} // namespace

std::string BuildSystemXml()
{
    const TextTable texts = SystemTexts();
    GenApiEmitter emitter(texts);
    return emitter.Document(SystemNodes());
}

} // namespace GenTLCore
