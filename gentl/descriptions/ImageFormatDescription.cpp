#include "ImageFormatDescription.h"

#include "PixelFormatTable.h"

#include <cstdio>

namespace GenTLCore {

namespace {

const char* const kFormatBase = "AcquisitionControlStartAddress";
const char* const kAnalogBase = "AnalogControlStartAddress";

// Entry of the Custom namespace whose display name is its name.
GenApiNode CustomEntry(const std::string& name, const std::string& value, const std::vector<NodeElement>& extras = {})
{
    return Entry(name, "Custom", value, name, extras);
}

std::string Hex8(std::uint32_t code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

const int kPixelSizes[] = {1, 2, 4, 8, 10, 12, 14, 16, 20, 24, 30, 32, 36, 48, 64, 96};

} // namespace

NodeList ImageFormatNodes(const std::string& port)
{
    const NodeKind I = NodeKind::Integer, E = NodeKind::Enumeration, B = NodeKind::Boolean, F = NodeKind::Float;
    const NodeKind IR = NodeKind::IntReg, FR = NodeKind::FloatReg;
    const std::string Cus = "Custom", U = "Unsigned";
    const NodeElement noCache = Element("Cachable", "NoCache");
    auto invalidator = [](const std::string& node) { return Element("pInvalidator", node); };
    auto formatRegister = [&](const std::string& name, const std::string& offset, const std::string& access,
                              const std::vector<NodeElement>& extras) {
        return Register(IR, name, Offset(kFormatBase, offset), 4, access, U, port, extras);
    };

    NodeList pixelFormats;
    for (std::size_t i = 0; i < kPixelFormatCount; ++i)
        pixelFormats.push_back(CustomEntry(kPixelFormats[i].name, Hex8(kPixelFormats[i].code)));
    NodeList pixelSizes;
    for (int bits : kPixelSizes)
        pixelSizes.push_back(CustomEntry("Bpp" + std::to_string(bits), std::to_string(bits)));

    NodeList nodes = {
        Category("ImageFormatControl", Cus, "Beginner", "Image Format Control",
                 {"WidthMax", "HeightMax", "Width", "Height", "OffsetX", "OffsetY", "DecimationHorizontalMode",
                  "DecimationHorizontal", "DecimationVerticalMode", "DecimationVertical", "ReverseX", "ReverseY",
                  "BayerConversionAuto", "PixelFormat", "PixelSize", "PixelColorFilter"},
                 {Element("ImposedAccessMode", "RO")}),
        Category("AnalogControl", Cus, "Beginner", "Analog Control",
                 {"BalanceRatioSelector", "BalanceRatio", "BalanceWhiteAuto"}),
        Feature(I, kFormatBase, "", "", "", "", Constant("0x50002000")),

        Feature(I, "WidthMax", Cus, "Width Max", "Expert", "RO", From("AbsoluteWidthMaxRegister"),
                {Element("pMin", "AbsoluteWidthMaxRegister"), Element("pMax", "AbsoluteWidthMaxRegister")}),
        formatRegister("AbsoluteWidthMaxRegister", "0x0", "RO", {noCache}),
        Feature(I, "HeightMax", Cus, "Height Max", "Expert", "RO", From("AbsoluteHeightMaxRegister"),
                {Element("pMin", "AbsoluteHeightMaxRegister"), Element("pMax", "AbsoluteHeightMaxRegister")}),
        formatRegister("AbsoluteHeightMaxRegister", "0x4", "RO", {noCache}),
        formatRegister("WidthMaxRegister", "0x8", "RO", {noCache, invalidator("OffsetXRegister")}),
        formatRegister("HeightMaxRegister", "0xC", "RO", {noCache, invalidator("OffsetYRegister")}),
        Feature(I, "Width", Cus, "Width", "Beginner", "", From("WidthRegister"),
                {Element("Min", "2"), Element("pMax", "WidthMaxRegister"), Element("Inc", "1"),
                 Element("Representation", "Linear")}),
        formatRegister("WidthRegister", "0x10", "RW", {}),
        Feature(I, "Height", Cus, "Height", "Beginner", "", From("HeightRegister"),
                {Element("Min", "2"), Element("pMax", "HeightMaxRegister"), Element("Inc", "1"),
                 Element("Representation", "Linear")}),
        formatRegister("HeightRegister", "0x14", "RW", {}),
        formatRegister("OffsetXMaxRegister", "0x18", "RO", {invalidator("WidthRegister")}),
        formatRegister("OffsetYMaxRegister", "0x1C", "RO", {invalidator("HeightRegister")}),
        Feature(I, "OffsetX", Cus, "Offset X", "Beginner", "", From("OffsetXRegister"),
                {Element("Min", "0"), Element("pMax", "OffsetXMaxRegister"), Element("pInc", "OffsetIncrement"),
                 Element("Representation", "Linear")}),
        formatRegister("OffsetXRegister", "0x20", "RW", {}),
        Feature(I, "OffsetY", Cus, "Offset Y", "Beginner", "", From("OffsetYRegister"),
                {Element("Min", "0"), Element("pMax", "OffsetYMaxRegister"), Element("pInc", "OffsetIncrement"),
                 Element("Representation", "Linear")}),
        formatRegister("OffsetYRegister", "0x24", "RW", {}),
        SwissKnife("OffsetIncrement", "", "", {{"PCF", "PixelColorFilter"}}, "(PCF = 0) ? 1 : 2"),

        Feature(E, "DecimationHorizontalMode", Cus, "Decimation Horizontal Mode", "Expert", "", Constant("0"), {},
                {CustomEntry("Discard", "0")}),
        Feature(I, "DecimationHorizontal", Cus, "Decimation Horizontal", "Expert", "",
                From("DecimationHorizontalRegister"),
                {Element("Min", "1"), Element("Max", "16"), Element("pInc", "DecimationIncrement")}),
        formatRegister("DecimationHorizontalRegister", "0x28", "RW", {}),
        Feature(E, "DecimationVerticalMode", Cus, "Decimation Vertical Mode", "Expert", "", Constant("0"), {},
                {CustomEntry("Discard", "0")}),
        Feature(I, "DecimationVertical", Cus, "Decimation Vertical", "Expert", "", From("DecimationVerticalRegister"),
                {Element("Min", "1"), Element("Max", "16"), Element("pInc", "DecimationIncrement")}),
        formatRegister("DecimationVerticalRegister", "0x2C", "RW", {}),
        SwissKnife("DecimationIncrement", "", "", {{"PCF", "PixelColorFilter"}}, "(PCF = 0) ? 1 : 2"),

        Feature(B, "ReverseX", Cus, "Reverse X", "Expert", "", From("ReverseXRegister")),
        formatRegister("ReverseXRegister", "0x30", "RW", {}),
        Feature(B, "ReverseY", Cus, "Reverse Y", "Expert", "", From("ReverseYRegister")),
        formatRegister("ReverseYRegister", "0x34", "RW", {}),

        Feature(E, "BayerConversionAuto", Cus, "Automatic Bayer Conversion", "Expert", "",
                From("BayerConversionAutoRegister"), {Element("pIsLocked", "AcquisitionStarted")},
                {CustomEntry("Off", "0"), CustomEntry("On", "1")}),
        formatRegister("BayerConversionAutoRegister", "0x38", "RW", {}),
        Feature(E, "PixelFormat", Cus, "Pixel Format", "Beginner", "RO", From("PixelFormatRegister"), {},
                pixelFormats),
        formatRegister("PixelFormatRegister", "0x3C", "RW", {invalidator("BayerConversionAutoRegister")}),
        Feature(E, "PixelSize", Cus, "Pixel Size", "Expert", "RO", From("PixelSizeRegister"), {}, pixelSizes),
        formatRegister("PixelSizeRegister", "0x40", "RW", {invalidator("PixelFormatRegister")}),
        Feature(E, "PixelColorFilter", Cus, "Pixel Color Filter", "Expert", "RO", From("PixelColorFilterRegister"),
                {},
                {CustomEntry("None", "0"), CustomEntry("BayerRG", "1"), CustomEntry("BayerGB", "2"),
                 CustomEntry("BayerGR", "3"), CustomEntry("BayerBG", "4")}),
        formatRegister("PixelColorFilterRegister", "0x44", "RW", {invalidator("PixelFormatRegister")}),

        Feature(I, "AcquisitionStarted", Cus, "", "Invisible", "RO", From("AcquisitionStartedRegister")),
        formatRegister("AcquisitionStartedRegister", "0xFFC", "RW", {noCache}),
        SwissKnife("AcquisitionStopped", "", "", {{"AS", "AcquisitionStarted"}}, "(AS = 1) ? 0 : 1"),

        Feature(I, kAnalogBase, "", "", "", "", Constant("0x50001000")),
        Feature(E, "BalanceRatioSelector", Cus, "Balance Ratio Selector", "Expert", "",
                From("BalanceRatioSelectorValue"), {Element("pSelected", "BalanceRatio")},
                {CustomEntry("All", "0"), CustomEntry("Red", "1"), CustomEntry("Green", "2"),
                 CustomEntry("Blue", "3")}),
        Feature(I, "BalanceRatioSelectorValue", "", "", "Invisible", "", Constant("0")),
        Feature(F, "BalanceRatio", Cus, "Balance Ratio", "Expert", "", From("BalanceRatioRegister"),
                {Element("Min", "0.0001"), Element("Max", "16.0")}),
        Register(FR, "BalanceRatioRegister",
                 Computed(SwissKnife("BalanceRatioRegisterAddress", Cus, "",
                                     {{"AC", kAnalogBase}, {"SEL", "BalanceRatioSelectorValue"}},
                                     "AC + (4 * SEL)")),
                 4, "RW", "", port, {invalidator("BalanceWhiteAutoRegister")}),
        Feature(E, "BalanceWhiteAuto", Cus, "Balance White Auto", "Expert", "", From("BalanceWhiteAutoRegister"),
                {Element("pIsLocked", "AcquisitionStopped")},
                {CustomEntry("Off", "0"), CustomEntry("Once", "1", {Element("IsSelfClearing", "Yes")})}),
        Register(IR, "BalanceWhiteAutoRegister", Offset(kAnalogBase, "0x10"), 4, "RW", U, port),
    };
    return nodes;
}

TextTable ImageFormatTexts()
{
    TextTable texts = {
        {"ImageFormatControl", "Category for Image Format Control features.", ""},
        {"AnalogControl", "Category that contains the Analog control features.", ""},
        {"WidthMax",
         "Maximum width of the image (in pixels). The dimension is calculated after horizontal binning, decimation "
         "or any other function changing the horizontal dimension of the image.",
         "Maximum width of the image (in pixels)."},
        {"HeightMax",
         "Maximum height of the image (in pixels). This dimension is calculated after vertical binning, decimation "
         "or any other function changing the vertical dimension of the image.",
         "Maximum height of the image (in pixels)."},
        {"Width", "Width of the image provided by the device (in pixels).", ""},
        {"Height", "Height of the image provided by the device (in pixels).", ""},
        {"OffsetX", "Horizontal offset from the origin to the region of interest (in pixels).", ""},
        {"OffsetY", "Vertical offset from the origin to the region of interest (in pixels).", ""},
        {"DecimationHorizontalMode",
         "Sets the mode used to reduce the horizontal resolution when DecimationHorizontal is used.", ""},
        {"DecimationHorizontalMode/Discard", "The value of every Nth pixel is kept, others are discarded.", ""},
        {"DecimationVerticalMode",
         "Sets the mode used to reduce the Vertical resolution when DecimationVertical is used.", ""},
        {"DecimationVerticalMode/Discard", "The value of every Nth pixel is kept, others are discarded.", ""},
        {"DecimationHorizontal",
         "Horizontal sub-sampling of the image. This reduces the horizontal resolution (width) of the image by the "
         "specified horizontal decimation factor.",
         "Horizontal sub-sampling of the image."},
        {"DecimationVertical",
         "Vertical sub-sampling of the image. This reduces the vertical resolution (height) of the image by the "
         "specified vertical decimation factor.",
         "Vertical sub-sampling of the image."},
        {"ReverseX",
         "Flip horizontally the image sent by the device. The Region of interest is applied after the flipping.",
         "Flip horizontally the image sent by the device."},
        {"ReverseY",
         "Flip vertically the image sent by the device. The Region of interest is applied after the flipping.",
         "Flip vertically the image sent by the device."},
        {"BayerConversionAuto", "Enables or disables the Bayer filter conversion performed by the frame grabber.", ""},
        {"BayerConversionAuto/Off", "Disables automatic Bayer filter conversion.", ""},
        {"BayerConversionAuto/On", "Enables automatic Bayer filter conversion.", ""},
        {"PixelFormat",
         "Format of the pixels provided by the device. It represents all the information provided by PixelSize, "
         "PixelColorFilter combined in a single feature.",
         "Format of the pixels provided by the device."},
        {"PixelSize", "Total size in bits of a pixel of the image.", ""},
        {"PixelColorFilter", "Type of color filter that is applied to the image.", ""},
        {"PixelColorFilter/None", "No color filter.", ""},
        {"PixelColorFilter/BayerRG", "Bayer Red Green filter.", ""},
        {"PixelColorFilter/BayerGB", "Bayer Green Blue filter.", ""},
        {"PixelColorFilter/BayerGR", "Bayer Green Red filter.", ""},
        {"PixelColorFilter/BayerBG", "Bayer Blue Green filter.", ""},
        {"AcquisitionStarted", "Evaluates to true if the acquisition is started.", ""},
        {"BalanceRatioSelector", "Selects which Balance ratio to control.", ""},
        {"BalanceRatioSelector/All", "Balance Ratio will be applied to all channels", ""},
        {"BalanceRatioSelector/Red", "Balance Ratio will be applied to the red channel.", ""},
        {"BalanceRatioSelector/Green", "Balance Ratio will be applied to the green channel.", ""},
        {"BalanceRatioSelector/Blue", "Balance Ratio will be applied to the blue channel.", ""},
        {"BalanceRatio",
         "Controls ratio of the selected color component to a reference color component. It is used for white "
         "balancing.",
         "Controls ratio of the selected color component to a reference color component."},
        {"BalanceWhiteAuto",
         "Controls the mode for automatic white balancing between the color channels. The white balancing ratios "
         "are automatically adjusted.",
         "Controls the mode for automatic white balancing between the color channels."},
        {"BalanceWhiteAuto/Off", "White balancing is user controlled using BalanceRatioSelector and BalanceRatio.", ""},
        {"BalanceWhiteAuto/Once",
         "White balancing is automatically adjusted once by the device. Once it has converged, it automatically "
         "returns to the Off state.",
         "White balancing is automatically adjusted once by the device."},
    };
    for (int bits : kPixelSizes) {
        texts.push_back({"PixelSize/Bpp" + std::to_string(bits),
                         bits == 1 ? std::string("1 bit per pixel.") : std::to_string(bits) + " bits per pixel.", ""});
    }
    for (std::size_t i = 0; i < kPixelFormatCount; ++i)
        texts.push_back({std::string("PixelFormat/") + kPixelFormats[i].name, kPixelFormats[i].description, ""});
    return texts;
}

} // namespace GenTLCore
