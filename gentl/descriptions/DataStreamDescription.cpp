#include "DataStreamDescription.h"

#include "GenApiEmitter.h"
#include "GenApiNode.h"

namespace GenTLCore {

namespace {

const char* const kPort = "StreamPort";

NodeList DataStreamNodes()
{
    const NodeKind S = NodeKind::String, I = NodeKind::Integer, E = NodeKind::Enumeration, C = NodeKind::Command;
    const NodeKind IR = NodeKind::IntReg, SR = NodeKind::StringReg;
    const std::string Std = "Standard", Cus = "Custom";
    const NodeElement lockedWhileActive = Element("pIsLocked", "StreamAcquisitionActive_Val");
    const NodeElement byApply = Element("pInvalidator", "StreamThreadApplyPriority_Val");

    NodeList nodes = {
        // Categories
        Category("Root", Std, "Beginner", "", {"StreamInformation", "BufferHandlingControl", "StreamEngineControl"}),
        Category("StreamInformation", Std, "Beginner", "Stream Information", {"StreamID", "StreamType"}),
        Category("BufferHandlingControl", Std, "Beginner", "Buffer Handling Control",
                 {"StreamAnnouncedBufferCount", "StreamBufferHandlingMode", "StreamAnnounceBufferMinimum",
                  "PayloadSize"}),
        Category("StreamEngineControl", Cus, "Guru", "Stream Engine Control",
                 {"StreamThreadSchedulingPolicy", "StreamThreadPriority", "StreamThreadApplyPriority",
                  "StreamAuxiliaryBufferCount"}),

        // Features
        Feature(S, "StreamID", Std, "Stream ID", "Expert", "RO", From("StreamID_Val")),
        Feature(E, "StreamType", Std, "Stream Type", "Expert", "RO", Constant("0"), {},
                {Entry("CoaXPress", Std, "0", "CoaXPress (CXP)")}),
        Feature(I, "StreamAnnouncedBufferCount", Std, "Stream Announced Buffer Count", "Expert", "RO",
                From("StreamAnnouncedBufferCount_Val")),
        Feature(E, "StreamBufferHandlingMode", Std, "Stream Buffer Handling Mode", "Beginner", "",
                From("StreamBufferHandlingMode_Val"), {lockedWhileActive},
                {Entry("OldestFirst", Std, "0", "Oldest First")}),
        Feature(I, "StreamAnnounceBufferMinimum", Std, "Stream Announce Buffer Minimum", "Expert", "RO",
                From("StreamAnnounceBufferMinimum_Val")),
        Feature(I, "PayloadSize", Std, "Payload Size", "Expert", "RO", From("PayloadSize_Val"),
                {Element("pIsAvailable", "ModifiesPayload_Val"), Element("Unit", "Byte")}),
        Feature(I, "StreamThreadSchedulingPolicy", Cus, "Stream Thread Scheduling Policy", "Guru", "RW",
                From("StreamThreadSchedulingPolicy_Val"),
                {Element("pIsImplemented", "StreamThreadSchedulingPolicy_Impl"),
                 Element("Representation", "PureNumber")}),
        Feature(I, "StreamThreadPriority", Cus, "Stream Thread Priority", "Guru", "RW",
                From("StreamThreadPriority_Val"), {Element("Representation", "PureNumber")}),
        Feature(C, "StreamThreadApplyPriority", Cus, "Stream Thread Apply Priority", "Guru", "WO",
                From("StreamThreadApplyPriority_Val"), {Element("CommandValue", "1")}),
        Feature(I, "StreamAuxiliaryBufferCount", Cus, "Stream Auxiliary Buffer Count", "Guru", "",
                From("StreamAuxiliaryBufferCount_Val"),
                {lockedWhileActive, Element("Min", "0"), Element("Max", "20")}),

        // Register nodes
        Register(SR, "StreamID_Val", At("0x0"), 128, "RO", "", kPort),
        Register(IR, "StreamAnnouncedBufferCount_Val", At("0x10000000"), 4, "RO", "Unsigned", kPort,
                 {Element("Cachable", "NoCache"), Element("PollingTime", "10000")}),
        Register(IR, "StreamAnnounceBufferMinimum_Val", At("0x10000004"), 4, "RO", "Unsigned", kPort),
        Register(IR, "StreamBufferHandlingMode_Val", At("0x10000008"), 4, "RW", "Unsigned", kPort),
        Register(IR, "StreamAcquisitionActive_Val", At("0x1000000C"), 4, "RO", "Unsigned", kPort,
                 {Element("Cachable", "NoCache")}),
        Register(IR, "ModifiesPayload_Val", At("0x10000010"), 4, "RO", "Unsigned", kPort),
        Register(IR, "PayloadSize_Val", At("0x10000014"), 4, "RO", "Unsigned", kPort,
                 {Element("Cachable", "NoCache")}),
        Register(IR, "StreamThreadSchedulingPolicy_Impl", At("0x20000000"), 4, "RO", "Unsigned", kPort),
        Register(IR, "StreamThreadSchedulingPolicy_Val", At("0x20000004"), 4, "RW", "Signed", kPort, {byApply}),
        Register(IR, "StreamThreadPriority_Val", At("0x20000008"), 4, "RW", "Signed", kPort, {byApply}),
        Register(IR, "StreamThreadApplyPriority_Val", At("0x2000000C"), 4, "WO", "Unsigned", kPort),
        Register(IR, "StreamAuxiliaryBufferCount_Val", At("0x20000010"), 4, "RW", "Unsigned", kPort),

        // Port
        Port("StreamPort", Std, "Invisible"),
    };
    return nodes;
}

TextTable DataStreamTexts()
{
    return {
        {"StreamInformation", "Category that contains all Stream Information features of the Data Stream module.",
         ""},
        {"BufferHandlingControl", "Contains all features of the Data Stream module that control the used buffers.",
         ""},
        {"StreamEngineControl", "Contains all features for detailed control of the streaming engine.", ""},
        {"StreamID", "Device unique ID for the data stream, e.g. a GUID.", "Device unique ID for the data stream, e."},
        {"StreamType", "Transport layer type of the Data Stream.", ""},
        {"StreamType/CoaXPress", "CoaXPress (CXP)", ""},
        {"StreamAnnouncedBufferCount",
         "Number of announced (known) buffers on this stream. This value is volatile. It may change if additional "
         "buffers are announced and/or buffers are revoked by the GenTL Consumer.",
         "Number of announced (known) buffers on this stream."},
        {"StreamBufferHandlingMode", "Available buffer handling modes of this Data Stream.", ""},
        {"StreamBufferHandlingMode/OldestFirst",
         "The application always gets the acquired buffers first-in first-out (oldest first), no buffers are "
         "overwritten. When a new data is acquired and there are no queued buffers, the data is dropped.",
         "The application always gets the acquired buffers first-in first-out (oldest first), no buffers are "
         "overwritten."},
        {"StreamAnnounceBufferMinimum",
         "Minimal number of buffers to announce to enable selected buffer handling mode.", ""},
        {"PayloadSize",
         "Size of the expected data in bytes. Note that this feature \"overwrites\" the PayloadSize of the remote "
         "device, see corresponding sections of the GenICam GenTL standard",
         "Size of the expected data in bytes."},
        {"StreamThreadSchedulingPolicy",
         "Scheduling policy of the stream handling thread. Expressed as pure number expressing the scheduling "
         "policy on given system.",
         "Scheduling policy of the stream handling thread."},
        {"StreamThreadPriority",
         "Priority of the stream handling thread. Expressed as pure number expressing the priority on given system.",
         "Priority of the stream handling thread."},
        {"StreamThreadApplyPriority", "Applies thread priority parameter(s) and triggers re-read of the actual values.",
         "Applies thread priority parameter(s)."},
        {"StreamAuxiliaryBufferCount",
         "Number of auxiliary buffers the acquisition engine will allocate to keep the stream going when no user "
         "buffers are available.",
         "Number of auxiliary buffers the acquisition engine will allocate to keep the stream going when not enough "
         "user buffers is available."},
        {"StreamPort", "The GenICam port through which the Data Stream module is accessed.", ""},
    };
}

} // namespace

std::string BuildDataStreamXml()
{
    const TextTable texts = DataStreamTexts();
    GenApiEmitter emitter(texts);
    return emitter.Document(DataStreamNodes());
}

} // namespace GenTLCore
