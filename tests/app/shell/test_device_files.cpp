// Flat field, DSNU / PRNU data, copying settings to the other cameras, and the
// user-set and parameter files of the current camera.
#include "../SaveFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>

#include <qtvariantproperty.h>

#include <functional>
#include <optional>

#include "CZTCamView.h"
#include "CZTPropGrp.h"
#include "ElementText.h"
#include "LineProfileUI.h"
#include "ZTCamFunc.h"

namespace {

constexpr const char* kFlatField = "[camera]\nserial = FFC01\nsensor_width=64\nsensor_height=48\nffc_phase_ms=60\n";
constexpr const char* kFlatFieldFails =
    "[camera]\nserial = FFC01\nsensor_width=64\nsensor_height=48\nffc_phase_ms=60\nffc_fails=1\n";
constexpr const char* kTwoCameras =
    "[camera]\nserial = DEV01\nsensor_width=64\nsensor_height=48\n"
    "[camera]\nserial = DEV02\nsensor_width=64\nsensor_height=48\n";
// Firmware with a user-set block of 1030 words.
constexpr const char* kUserSet =
    "[camera]\nserial = US01\ndevice_version = V01_2505_ZT\nuser_set_words = 1030\n";
// Firmware without one: the parameter file is used.
constexpr const char* kOldFirmware = "[camera]\nserial = PAR01\ndevice_version = V01_2504_ZT\nsensor_width = 1280\n";
// Mono 8 cameras whose every row shows one whole saw-tooth of the test
// pattern, so that each frame has the same mean.
constexpr const char* kOldFirmwareMono8 =
    "[camera]\nserial = PAR02\ndevice_version = V01_2504_ZT\nsensor_width=512\nsensor_height=16\n";
constexpr const char* kUserSetMono8 =
    "[camera]\nserial = US02\ndevice_version = V01_2505_ZT\nsensor_width=512\nsensor_height=16\n";
constexpr const char* kTwoMono8 = "[camera]\nserial = DEV03\nsensor_width=512\nsensor_height=16\n"
                                  "[camera]\nserial = DEV04\nsensor_width=512\nsensor_height=16\n";
// Four models alike but for their pixel formats: Mono 12 at another place,
// none, and last in a colour camera's list.
constexpr const char* kFourModels =
    "[camera]\nserial = ENT01\ndevice_version = V01_2504_ZT\nsensor_width=64\nsensor_height=48\n"
    "pixel_formats = Mono 8, Mono 10, Mono 12, Mono 16\n"
    "[camera]\nserial = ENT02\ndevice_version = V01_2504_ZT\nsensor_width=64\nsensor_height=48\n"
    "pixel_formats = Mono 8, Mono 12, Mono 16\n"
    "[camera]\nserial = ENT03\ndevice_version = V01_2504_ZT\nsensor_width=64\nsensor_height=48\n"
    "pixel_formats = Mono 8, Mono 10, Mono 16\n"
    "[camera]\nserial = ENT04\ndevice_version = V01_2504_ZT\nsensor_width=64\nsensor_height=48\n"
    "pixel_formats = RGB 8, BGR 8, Mono 8, Mono 12\n";

}  // namespace

class DeviceFiles : public SaveFixture {
protected:
    ZTCamHandle cam(int i = 0) const { return window->m_vecOpenedCam.at(i).handle; }
    QString path(const QString& name) const { return workDir.filePath(name); }
    int capa(int id, int i = 0) const
    {
        int32_t v = -1;
        ZTCAM_Capa_GetValue(cam(i), id, &v);
        return v;
    }
    ZTCamElement feature(const char* name, int i = 0) const
    {
        ZTCamElement e{};
        EXPECT_EQ(ZTCAM_GenICam_ElementAttr(cam(i), &e, name, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
        EXPECT_EQ(ZTCAM_GenICam_GetElementValue(cam(i), &e, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
        return e;
    }
    void setInt(const char* name, int64_t value, int i = 0)
    {
        ZTCamElement e = feature(name, i);
        e.value.intValue = value;
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(cam(i), &e, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
    }
    void setFloat(const char* name, double value, int i = 0)
    {
        ZTCamElement e = feature(name, i);
        e.value.floatValue = value;
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(cam(i), &e, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
    }
    void writeFile(const QString& name, const QByteArray& text)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QString lastAsked() const { return prompt.asked.isEmpty() ? QString() : prompt.asked.last(); }
    QString entryOf(const char* name, int i = 0) const { return ZTCamFunc::CurrentEntryName(feature(name, i)); }
    void setEntry(const char* name, const char* entry, int i = 0)
    {
        const int index = ElementText::entryNames(feature(name, i)).indexOf(entry);
        ASSERT_GE(index, 0) << entry;
        setInt(name, index, i);
    }
    // Executes a command of the camera, as the SDK's own element record has it.
    void execute(const char* name, int i = 0)
    {
        ZTCamElement e{};
        ASSERT_EQ(ZTCAM_GenICam_ElementAttr(cam(i), &e, name, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(cam(i), &e, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS) << name;
    }
    // The log rows written since the log had `rows` of them.
    QStringList rowsSince(int rows) const { return logRows().mid(rows); }

    // Makes the camera at `position` current and chooses a PixelFormat entry
    // in its tree.
    void chooseInTree(int position, const char* entry)
    {
        ui()->cb_cam_idx->setCurrentIndex(position);
        CZTPropGrp* panel = window->m_vecPropGrp.value(position);
        ASSERT_TRUE(panel);
        QtProperty* row = panel->m_propMap.value("PixelFormat");
        const QStringList names = panel->m_pVariantManager->attributeValue(row, "enumNames").toStringList();
        ASSERT_TRUE(names.contains(entry)) << entry;
        panel->m_pVariantManager->setValue(row, names.indexOf(entry));
    }
    // The level pair and the pixel-format information the window shows for
    // the camera at `position`.
    QString depthShown(int position) const
    {
        auto side = [](QSlider* slider, QLineEdit* field) {
            return QString("%1..%2 at %3 \"%4\"")
                .arg(slider->minimum())
                .arg(slider->maximum())
                .arg(slider->value())
                .arg(field->text());
        };
        const int index = static_cast<int>(window->m_vecOpenedCam.at(position).index);
        return side(ui()->hls_llvl, ui()->txt_llvl) + ", " + side(ui()->hls_rlvl, ui()->txt_rlvl) +
               QString(", shift %1, gray %2")
                   .arg(window->displayShift(index))
                   .arg(window->m_vecCamView.at(position)->lineProfile()->maxGray());
    }
    // Mean gray (0..1) of the live image of the camera at `position`, once
    // the camera has made a few frames; live view stops again.
    double liveMean(int position)
    {
        window->onCapturing();
        EXPECT_TRUE(window->m_bLive.load());
        const int index = static_cast<int>(window->m_vecOpenedCam.at(position).index);
        const CZTCamView* view = window->m_vecCamView.at(position);
        EXPECT_TRUE(waitFor([&] {
            uint64_t made = 0;
            ZTCamSim_GetFrameCount(index, &made);
            return made >= 6 && view->image();
        }));
        const QImage image = view->image() ? view->image()->convertToFormat(QImage::Format_Grayscale8) : QImage();
        window->onCapturing();
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += image.constScanLine(y)[x];
        return image.isNull() ? -1 : sum / (255.0 * image.width() * image.height());
    }
};

// ---- flat field ------------------------------------------------------------

TEST_F(DeviceFiles, FlatFieldRunsInTwoSteps)
{
    open(kFlatField, 1);
    window->on_pb_ffc_clicked();
    EXPECT_TRUE(prompt.asked.contains("information|Message|Move to other position!"));
    EXPECT_EQ(window->m_nFfcStep, 2);
    EXPECT_TRUE(ui()->pb_ffc->isEnabled());
    window->on_pb_ffc_clicked();
    EXPECT_EQ(lastAsked(), "information|Message|Calc shading correction success!");
    EXPECT_EQ(window->m_nFfcStep, 1);
    EXPECT_TRUE(ui()->chk_ffc->isChecked());
    EXPECT_EQ(capa(ZTCAM_CAPA_FLAT_FIELD), ZTCAM_FLAT_FIELD_ON);

    window->on_chk_ffc_clicked(false);
    EXPECT_EQ(capa(ZTCAM_CAPA_FLAT_FIELD), ZTCAM_FLAT_FIELD_OFF);
}

TEST_F(DeviceFiles, AFailedFlatFieldIsReportedAndCannotBeSwitchedOn)
{
    open(kFlatFieldFails, 1);
    window->on_pb_ffc_clicked();
    window->on_pb_ffc_clicked();
    EXPECT_EQ(lastAsked(), "information|Message|Calc shading correction failed!");
    EXPECT_FALSE(ui()->chk_ffc->isChecked());

    ui()->chk_ffc->setChecked(true);
    window->on_chk_ffc_clicked(true);
    EXPECT_EQ(lastAsked(), "information|Message|Please click the button FFC first!");
    EXPECT_FALSE(ui()->chk_ffc->isChecked());
}

TEST_F(DeviceFiles, AFlatFieldOnAGoneCameraEndsAtTheDeadline)
{
    open(kFlatField, 1);
    ZTCamSim_SetConnected(0, 0);
    window->on_pb_ffc_clicked();
    EXPECT_EQ(lastAsked(), "information|Message|Calc shading correction failed!");
    EXPECT_EQ(window->m_nFfcStep, 1);
    EXPECT_TRUE(ui()->pb_ffc->isEnabled());
    EXPECT_TRUE(ui()->chk_ffc->isEnabled());
}

// ---- calibration data --------------------------------------------------------

TEST_F(DeviceFiles, CalibrationDataMovesThroughFilesOfItsOwnKind)
{
    open(kOneCamera, 1);
    ui()->comboBoxBackGround->setCurrentIndex(0);
    const QString dsnu = path(QString::fromUtf8("暗场"));
    prompt.fileAnswers = QStringList{dsnu};
    window->on_pushButtonRead_clicked();
    EXPECT_EQ(lastAsked(), "about|LumaDeck|Data read completed");
    ASSERT_TRUE(QFile::exists(dsnu + ".txt"));
    prompt.fileAnswers = QStringList{dsnu + ".txt"};
    window->on_pushButtonWrite_clicked();
    EXPECT_EQ(lastAsked(), "about|LumaDeck|Data write completed");

    ui()->comboBoxBackGround->setCurrentIndex(1);
    prompt.fileAnswers = QStringList{path("prnu.txt")};
    window->on_pushButtonRead_clicked();
    ASSERT_TRUE(QFile::exists(path("prnu.txt")));
    ui()->comboBoxBackGround->setCurrentIndex(0);
    prompt.fileAnswers = QStringList{path("prnu.txt")};
    window->on_pushButtonWrite_clicked();
    EXPECT_EQ(lastAsked(), "about|LumaDeck|Failed write data to camera");

    // A cancelled dialog does nothing.
    const int asked = prompt.asked.size();
    window->on_pushButtonRead_clicked();
    EXPECT_EQ(prompt.asked.size(), asked + 1);
}

// ---- settings to the other cameras --------------------------------------------

TEST_F(DeviceFiles, ApplyDeviceParametersCopiesFeaturesToTheOtherCamera)
{
    open(kTwoCameras, 2);
    setFloat("ExposureTime", 12345);
    setInt("Width", 32);
    window->on_pushButtonParamApply_clicked();
    EXPECT_DOUBLE_EQ(feature("ExposureTime", 1).value.floatValue, 12345);
    EXPECT_EQ(feature("Width", 1).value.intValue, 32);
    // The other camera's panel shows what it got.
    CZTPropGrp* panel = window->m_vecPropGrp.value(1);
    ASSERT_TRUE(panel);
    EXPECT_DOUBLE_EQ(panel->m_pVariantManager->value(panel->m_propMap.value("ExposureTime")).toDouble(), 12345);
    EXPECT_EQ(lastLogRow(), "Apply device parameters to other devices successfully");
}

TEST_F(DeviceFiles, ApplyMoreParametersKeepsItsPairingAndNamesRefusingCameras)
{
    open(kTwoCameras, 2);
    ZTCAM_Capa_SetValue(cam(0), ZTCAM_CAPA_FLIP_HORIZONTAL, 1);
    ZTCAM_Capa_SetValue(cam(0), ZTCAM_CAPA_FLIP_VERTICAL, 1);
    ZTCAM_Prop_SetValue(cam(0), ZTCAM_PROP_GAMMA, 180, 0);
    ZTCAM_Prop_SetValue(cam(0), ZTCAM_PROP_LEFT_LEVEL, 12, 0);
    window->on_pushButtonMoreParamApply_clicked();
    // The flip boxes are hidden: the horizontal flip stays, the vertical one
    // goes with the gamma slider.
    EXPECT_EQ(capa(ZTCAM_CAPA_FLIP_HORIZONTAL, 1), 0);
    EXPECT_EQ(capa(ZTCAM_CAPA_FLIP_VERTICAL, 1), 1);
    double v = 0;
    ZTCAM_Prop_GetValue(cam(1), ZTCAM_PROP_GAMMA, &v, 0);
    EXPECT_EQ(v, 180);
    ZTCAM_Prop_GetValue(cam(1), ZTCAM_PROP_LEFT_LEVEL, &v, 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(lastLogRow(), "Apply more parameters to other devices successfully");

    // A camera that takes nothing is named instead of a success.
    ZTCamSim_SetConnected(1, 0);
    window->on_pushButtonMoreParamApply_clicked();
    const QString row = lastLogRow();
    EXPECT_EQ(row, "Camera " + window->m_mapCamName.value(1) +
                       " refused: capability 5, property 8, property 9, capability 8, property 11, property 10");
}

TEST_F(DeviceFiles, AnEnumerationReachesOtherModelsByItsEntrysName)
{
    open(kFourModels, 4);
    const struct {
        const char* what;
        int target;
        const char* start;   // the target's entry before
        const char* result;  // and after Mono 12 reached it; null: refused, the start stays
    } cases[] = {
        {"same entry at another position", 1, "Mono 8", "Mono 12"},
        {"entry missing", 2, "Mono 8", nullptr},
        {"colour to mono", 3, "RGB 8", "Mono 12"},
    };
    const QString path = this->path("formats.txt");
    for (const bool apply : {true, false}) {
        setEntry("PixelFormat", "Mono 12", 0);
        for (const auto& c : cases)
            setEntry("PixelFormat", c.start, c.target);
        ui()->cb_cam_idx->setCurrentIndex(0);
        QStringList written;
        if (apply) {
            const int rows = logRows().size();
            window->on_pushButtonParamApply_clicked();
            written = rowsSince(rows);
        } else {
            prompt.fileAnswers = QStringList{path};
            window->on_pushButton_Save_clicked();
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(apply ? "apply: " : "parameter file: ") + c.what);
            if (!apply) {
                ui()->cb_cam_idx->setCurrentIndex(c.target);
                const int rows = logRows().size();
                prompt.fileAnswers = QStringList{path};
                window->on_pushButton_Load_clicked();
                written = rowsSince(rows);
            }
            const QString refusedBy = "Camera " + window->m_mapCamName.value(c.target) + " refused: ";
            const bool refused = std::any_of(written.cbegin(), written.cend(), [&](const QString& row) {
                if (!apply)
                    return row == "Parameter PixelFormat not loaded: no entry \"Mono 12\"";
                return row.startsWith(refusedBy) && row.mid(refusedBy.size()).split(", ").contains("PixelFormat");
            });
            EXPECT_EQ(refused, c.result == nullptr) << written.join('|').toStdString();
            EXPECT_EQ(entryOf("PixelFormat", c.target).toStdString(), c.result ? c.result : c.start);
        }
    }
}

// ---- user-set data --------------------------------------------------------------

TEST_F(DeviceFiles, UserSetDataRoundTripsThroughItsFile)
{
    open(kUserSet, 1);
    setInt("Width", 640);
    // A name beyond Latin-1 is kept as it is.
    const QString name = QString::fromUtf8("用户集");
    prompt.fileAnswers = QStringList{path(name)};
    window->on_pushButton_Save_clicked();
    EXPECT_EQ(lastAsked(), "about|Save|Data saved successfully");
    QFile file(path(name + ".txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1031);  // 1030 words, each with its line break
    EXPECT_EQ(lines.at(1), "1030");

    setInt("Width", 320);
    prompt.fileAnswers = QStringList{path(name + ".txt")};
    window->on_pushButton_Load_clicked();
    EXPECT_EQ(lastAsked(), "about|Load|The data load is completed");
    EXPECT_EQ(feature("Width").value.intValue, 640);

    // No block for another selector: nothing saved, and no fallback either.
    prompt.fileAnswers = QStringList{path("other")};
    EXPECT_EQ(window->DataFileRead(cam(), 3), 0x80000000u);
    EXPECT_EQ(lastAsked(), "about|Save|Failed to get data");
    EXPECT_FALSE(QFile::exists(path("other.txt")));
}

TEST_F(DeviceFiles, MalformedUserSetFilesNeverReachTheCamera)
{
    open(kUserSet, 1);
    QByteArray huge = "0\n70000\n";
    for (int i = 0; i < 70000; ++i)
        huge += "0\n";
    const QString small = "about|Load|File too small";
    const struct {
        QByteArray text;
        QString told;
    } files[] = {{"5\n", small},    {"1\n-1\n0\n", small},
                 {"1\n1\n0\n", small}, {"junk\n", small},
                 {"1\n3\n99999999999\n", small},
                 // A block longer than any the program moves.
                 {huge, "about|Load|File too large"}};
    for (const auto& f : files) {
        writeFile("bad.txt", f.text);
        prompt.fileAnswers = QStringList{path("bad.txt")};
        ZTCamSim_CallLogClear();
        EXPECT_EQ(window->DataFileWrite(cam(), 7), 0x80000000u) << f.text.left(20).toStdString();
        EXPECT_EQ(lastAsked(), f.told);
        EXPECT_EQ(simCallCount("ZTCAM_GenICam_SetRegisterValue"), 0) << f.text.left(20).toStdString();
    }
    prompt.fileAnswers = QStringList{path("missing.txt")};
    EXPECT_EQ(window->DataFileWrite(cam(), 7), 0x80000115u);
    EXPECT_EQ(lastAsked(), "about|Load|Failed to open file");
}

// ---- parameter files --------------------------------------------------------------

TEST_F(DeviceFiles, ParameterFileRoundTripsGeometryFormatLutAndAddress)
{
    open(kOldFirmware, 1);
    setInt("Width", 640);
    setInt("OffsetX", 320);
    setInt("PixelFormat", 1);
    setInt("LUTEnable", 1);
    setInt("GevPersistentIPAddress", 0xC0A80001);  // 192.168.0.1, above 2^31
    setFloat("ExposureTime", 12345.678);
    prompt.fileAnswers = QStringList{path("params.txt")};
    window->on_pushButton_Save_clicked();
    EXPECT_EQ(lastLogRow(), "Save Camera Prameter Success");
    QFile file(path("params.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("ExposureTime:5:12345.7\n"));
    EXPECT_TRUE(text.contains("GevPersistentIPAddress:2:3232235521\n"));
    EXPECT_TRUE(text.contains("PixelFormat:9:1:Mono 12\n"));
    EXPECT_TRUE(text.contains("LUTEnable:3:1\n"));
    EXPECT_FALSE(text.contains("DeviceUserID"));  // strings are not saved

    setInt("OffsetX", 0);
    setInt("Width", 1280);
    setInt("PixelFormat", 0);
    setInt("LUTEnable", 0);
    setInt("GevPersistentIPAddress", 0);
    setFloat("ExposureTime", 100);
    prompt.fileAnswers = QStringList{path("params.txt")};
    window->on_pushButton_Load_clicked();
    EXPECT_EQ(feature("Width").value.intValue, 640);
    EXPECT_EQ(feature("OffsetX").value.intValue, 320);
    EXPECT_EQ(feature("PixelFormat").value.intValue, 1);
    EXPECT_EQ(feature("LUTEnable").value.intValue, 1);
    EXPECT_EQ(feature("GevPersistentIPAddress").value.intValue, 0xC0A80001);
    EXPECT_DOUBLE_EQ(feature("ExposureTime").value.floatValue, 12345.7);
    EXPECT_EQ(ui()->label_size->text().toStdString(), "Size: 640x1024");
    EXPECT_EQ(lastLogRow(), "Load Camera Prameter Success");
}

TEST_F(DeviceFiles, ParameterFileLinesThatCannotBeUsedChangeNothing)
{
    open(kOldFirmware, 1);
    setFloat("ExposureTime", 500);
    setInt("GevPersistentIPAddress", 0);
    writeFile("old.txt", "GevPersistentIPAddress:2:-1062731420\r\n"
                         "ExposureTime:5:fast\r\n"
                         "no colon\r\n"
                         "Width:2\r\n");
    prompt.fileAnswers = QStringList{path("old.txt")};
    window->on_pushButton_Load_clicked();
    EXPECT_EQ(feature("GevPersistentIPAddress").value.intValue, 0xC0A80164);
    EXPECT_DOUBLE_EQ(feature("ExposureTime").value.floatValue, 500);
    EXPECT_EQ(feature("Width").value.intValue, 1280);
    EXPECT_TRUE(logRows().contains("Parameter ExposureTime not loaded: \"fast\" is not a number"));

    // An offset the camera refuses leaves the offset it had.
    setInt("Width", 640);
    setInt("OffsetX", 320);
    writeFile("offset.txt", "OffsetX:2:99999\n");
    prompt.fileAnswers = QStringList{path("offset.txt")};
    window->on_pushButton_Load_clicked();
    EXPECT_EQ(feature("OffsetX").value.intValue, 320);

    writeFile("empty.txt", "no colon\n");
    prompt.fileAnswers = QStringList{path("empty.txt")};
    window->on_pushButton_Load_clicked();
    EXPECT_EQ(lastAsked(), "about|LumaDeck|File content is empty");

    // A camera that lists nothing gives no file.
    ZTCamSim_SetConnected(0, 0);
    prompt.fileAnswers = QStringList{path("gone.txt")};
    window->on_pushButton_Save_clicked();
    EXPECT_EQ(lastAsked(), "about|LumaDeck|No camera parameters could be read");
    EXPECT_FALSE(QFile::exists(path("gone.txt")));
}

TEST_F(DeviceFiles, ASaveThatFailsSaysSoAndLeavesNoFile)
{
    writeFile("plain", "a file, not a folder");
    const struct {
        const char* what;
        const char* config;
        const char* name;
        bool diskFull;
        const char* told;
    } cases[] = {
        {"user set, folder that cannot be written", kUserSet, "plain/set.txt", false, "about|Save|Failed to open file"},
        {"user set, full disk", kUserSet, "set.txt", true, "about|Save|Failed to save file"},
        {"parameter file, folder that cannot be written", kOldFirmware, "plain/params.txt", false,
         "about|LumaDeck|Failed to save file"},
        {"parameter file, full disk", kOldFirmware, "params.txt", true, "about|LumaDeck|Failed to save file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.config, 1);
        prompt.fileAnswers = QStringList{path(c.name)};
        {
            std::optional<lumatest::FileSizeLimit> full;
            if (c.diskFull)
                full.emplace(64);  // the file is longer
            window->on_pushButton_Save_clicked();
        }
        EXPECT_EQ(lastAsked().toStdString(), c.told);
        EXPECT_FALSE(QFileInfo::exists(path(c.name)));
        EXPECT_FALSE(logRows().contains("Save Camera Prameter Success"));
        window.reset();
    }
}

TEST_F(DeviceFiles, AParameterFileIsLoadedOnlyWhenEveryLineAppliesAsWritten)
{
    open(kOldFirmware, 1);
    const QString partly = "Camera parameters only partly loaded: ";
    const struct {
        QByteArray text;
        QString row;
    } cases[] = {
        {"ExposureTime:5:5000\nWidth:2:640\n", "Load Camera Prameter Success"},
        // Lines without an entry name set the entry by its index.
        {"PixelFormat:9:2\nPixelFormat:9:1:\n", "Load Camera Prameter Success"},
        // The camera keeps the width its step allows, or refuses one it cannot have.
        {"Width:2:642\n", partly + "1 of 1 lines not applied as written (0 unknown, 0 refused, "
                                    "1 changed by the camera): Width"},
        {"Width:2:999999\n", partly + "1 of 1 lines not applied as written (0 unknown, 1 refused, "
                                       "0 changed by the camera): Width"},
        {"ExposureTime:5:5000\nNoSuchFeature:2:5\nDeviceUserID:7:cam\nExposureTime:5:\n",
         partly + "3 of 4 lines not applied as written (1 unknown, 2 refused, 0 changed by the camera): "
                  "NoSuchFeature, DeviceUserID, ExposureTime"},
        // A line of fewer than three fields counts as unknown; a blank line not at all.
        {"ExposureTime:5:5000\nWidth:640\n\n", partly + "1 of 2 lines not applied as written (1 unknown, 0 refused, "
                                                        "0 changed by the camera): Width"},
        // Any bytes: names and values are not printed as they are, and at
        // most three names, each cut as a long value is.
        {QByteArray("\x01\x02" "a:2:1\nb\x7f:9:2\n:2:3\nzz:2:4\n"),
         partly + "4 of 4 lines not applied as written (4 unknown, 0 refused, 0 changed by the camera): "
                  "\\x01\\x02a, b\\x7f, \"\", ..."},
        {"ExposureTime:5:\x1b[2J\x07\n",
         "Parameter ExposureTime not loaded: \"\\x1b[2J\\x07\" is not a number\n" + partly +
             "1 of 1 lines not applied as written (0 unknown, 1 refused, 0 changed by the camera): ExposureTime"},
        {"ExposureTime:5:" + QByteArray(100000, '7') + "x\n",
         "Parameter ExposureTime not loaded: \"" + QString(40, '7') + "...\" is not a number\n" + partly +
             "1 of 1 lines not applied as written (0 unknown, 1 refused, 0 changed by the camera): ExposureTime"},
    };
    for (const auto& c : cases) {
        writeFile("load.txt", c.text);
        prompt.fileAnswers = QStringList{path("load.txt")};
        const int rows = logRows().size();
        window->on_pushButton_Load_clicked();
        EXPECT_EQ(rowsSince(rows).join('\n').toStdString(), c.row.toStdString());
    }
    EXPECT_EQ(feature("Width").value.intValue, 640);
}

// ---- loads that change the pixel format ---------------------------------------------

TEST_F(DeviceFiles, ALoadThatChangesThePixelFormatRescalesTheLevelsAsTheTreeDoes)
{
    const auto loadKept = [&] {
        prompt.fileAnswers = QStringList{path("kept.txt")};
        window->on_pushButton_Load_clicked();
    };
    const struct {
        const char* what;
        const char* config;
        int cameras;
        int observed;  // the camera whose format the load changes
        const char* format;
        std::function<void()> keep;  // with the format chosen: keeps it for the load
        std::function<void()> load;  // back at Mono 8: brings it back
    } cases[] = {
        {"parameter file", kOldFirmwareMono8, 1, 0, "Mono 16",
         [&] { writeFile("kept.txt", "PixelFormat:9:2:Mono 16\n"); }, loadKept},
        {"user set", kUserSetMono8, 1, 0, "Mono 12",
         [&] {
             prompt.fileAnswers = QStringList{path("kept.txt")};
             window->on_pushButton_Save_clicked();
         },
         loadKept},
        {"the tree's user-set load", kOldFirmwareMono8, 1, 0, "Mono 12",
         [&] {
             setEntry("UserSetSelector", "UserSet1");
             execute("UserSetSave");
         },
         [&] {
             CZTPropGrp* panel = window->m_vecPropGrp.value(0);
             panel->valueChanged(panel->m_propMap.value("UserSetLoad"), QVariant(QStringLiteral("UserSetLoad")));
         }},
        {"applied from the other camera", kTwoMono8, 2, 1, "Mono 12", [] {},
         [&] {
             chooseInTree(0, "Mono 12");
             window->on_pushButtonParamApply_clicked();
             ui()->cb_cam_idx->setCurrentIndex(1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.config, c.cameras);
        ui()->cb_cam_idx->setCurrentIndex(c.observed);
        // Levels set by hand, remembered for the camera.
        for (const auto& typed : {std::make_pair(ui()->txt_rlvl, "200"), std::make_pair(ui()->txt_llvl, "20")}) {
            typed.first->setText(typed.second);
            emit typed.first->editingFinished();
        }
        chooseInTree(c.observed, c.format);
        const QString tree = depthShown(c.observed);
        const double treeMean = liveMean(c.observed);
        c.keep();
        chooseInTree(c.observed, "Mono 8");
        c.load();
        EXPECT_EQ(depthShown(c.observed).toStdString(), tree.toStdString());
        EXPECT_NEAR(liveMean(c.observed), treeMean, 0.01);
        window.reset();
    }
}
