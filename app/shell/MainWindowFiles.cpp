// The current camera's settings to and from text files: its user-set data
// block where the firmware keeps one, otherwise the parameter file of its
// writable features.
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QtEndian>

#include <platform/os/SystemInfo.h>

#include "DebugLine.h"
#include "ElementText.h"
#include "ParamConfigFile.h"
#include "TextFile.h"
#include "UserPrompt.h"
#include "UserSetFile.h"
#include "ZTCamFunc.h"

#include "CZTPropGrp.h"

namespace {

constexpr uint64_t kRegSelector = 0x8000;
constexpr uint64_t kRegWordCount = 0x8004;
constexpr uint64_t kRegMode = 0x800C;
constexpr uint64_t kRegState = 0x8010;
constexpr uint64_t kRegWindow = 0x9000;
constexpr int kModeEnd = 0;
constexpr int kModeWrite = 1;
constexpr int kModeRead = 2;
constexpr int kUserSetSelector = 7;
constexpr int kStateReads = 31;
constexpr uint32_t kWalkLimit = 100000;  // features of one walk, at most

void userSetAbout(QWidget* parent, const QString& title, const QString& text)
{
    UserPrompt::instance().about(parent, title, text);
}

// The part both transfers begin with: true when the camera's firmware keeps
// a user-set block. `where` names the transfer in the debug line.
bool userSetSupported(ZTCamHandle handle, const char* where)
{
    ZTCamFunc* func = ZTCamFunc::instance();
    func->EnsureProductId(handle);
    char version[32] = {0};
    const bool read = func->GetDeviceVersion(handle, version);
    if (read && UserSetFile::firmwareSupported(QByteArray(version)))
        return true;
    LUMA_DEBUG(where, "Firmware version:%s, does not support UserSet data save", version);
    return false;
}

bool isKept(const ZTCamElement& element)
{
    if (!element.name || !element.name[0] || element.access != ZTCAM_ACCESS_READ_WRITE)
        return false;
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
    case ZTCAM_ELEM_FLOAT:
    case ZTCAM_ELEM_ENUMERATION:
        return true;
    case ZTCAM_ELEM_BOOLEAN:
        return qstrcmp(element.name, "LUTEnable") == 0;
    default:
        return false;
    }
}

// Whether the camera holds what was written: integers exactly, floats as
// far as a parameter file writes them (six significant digits).
bool holdsWritten(const ZTCamElement& written, const ZTCamElement& read)
{
    if (written.type == ZTCAM_ELEM_FLOAT)
        return QString::number(read.value.floatValue, 'g', 6) == QString::number(written.value.floatValue, 'g', 6);
    return read.value.intValue == written.value.intValue;
}

// The writable features of the camera worth saving, in walk order.
QVector<ParamEntry> walkParameters(ZTCamHandle handle)
{
    QVector<ParamEntry> entries;
    QByteArray previous("Root");
    ZTCamElement element{};
    for (uint32_t n = 0; n < kWalkLimit; ++n) {
        element = ZTCamElement{};
        if (ZTCAM_GenICam_ElementAttrNext(handle, &element, previous.constData(), ZTCAM_NODEMAP_CAMERA) !=
                ZTCAM_STATUS_SUCCESS ||
            !element.name)
            break;
        previous = QByteArray(element.name);
        // Only the kept types are read: a string's value would need a text
        // buffer, and it is not saved anyway.
        if (!isKept(element))
            continue;
        // A value that cannot be read is saved as the record holds it.
        (void)ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA);
        ParamEntry entry;
        entry.name = previous;
        entry.type = element.type;
        if (element.type == ZTCAM_ELEM_FLOAT)
            entry.floatValue = element.value.floatValue;
        else
            entry.intValue = element.value.intValue;
        if (element.type == ZTCAM_ELEM_ENUMERATION)
            entry.text = ZTCamFunc::CurrentEntryName(element);
        else if (element.type == ZTCAM_ELEM_BOOLEAN)
            entry.text = QString::fromLatin1(previous);
        entries.append(entry);
    }
    return entries;
}

}  // namespace

// ---------------------------------------------------------------- user-set data

uint32_t MainWindow::DataFileRead(ZTCamHandle handle, int selector)
{
    if (!userSetSupported(handle, "MainWindow::DataFileRead"))
        return ZTCAM_STATUS_NOT_SUPPORTED;
    const QString title = tr("Save");
    QString path = UserPrompt::instance().getSaveFileName(this, title, QStringLiteral("."), QStringLiteral("(*.txt)"));
    if (path.isEmpty()) {
        userSetAbout(this, title, tr("The file path is empty"));
        return ZTCAM_STATUS_FILE_INVALID;
    }
    if (QFileInfo(path).suffix() != QLatin1String("txt"))
        path += QStringLiteral(".txt");

    ZTCamFunc* func = ZTCamFunc::instance();
    func->WriteRegister32(handle, kRegSelector, selector, 4);
    func->WriteRegister32(handle, kRegMode, kModeRead, 4);
    // A failed read gives -1; a block needs its two head words and never
    // exceeds the largest one the program moves.
    const int count = func->ReadRegister32(handle, kRegWordCount);
    LUMA_DEBUG("MainWindow::DataFileRead", "data size=%d", count);
    bool ok = count >= 2 && count <= UserSetFile::kMaxWords;
    QVector<qint32> words;
    if (ok) {
        QByteArray bytes(count * 4, '\0');
        int offset = 0;
        for (int piece : UserSetFile::pieceSizes(bytes.size())) {
            if (ZTCAM_GenICam_GetRegisterValue(handle, reinterpret_cast<uint8_t*>(bytes.data()) + offset, kRegWindow,
                                               static_cast<uint32_t>(piece)) != ZTCAM_STATUS_SUCCESS) {
                ok = false;
                break;
            }
            offset += piece;
        }
        for (int i = 0; ok && i < count; ++i)
            words.append(qFromLittleEndian<qint32>(bytes.constData() + 4 * i));
    }
    func->WriteRegister32(handle, kRegMode, kModeEnd, 4);
    if (!ok) {
        userSetAbout(this, title, tr("Failed to get data"));
        return 0x80000000u;
    }
    LUMA_DEBUG("MainWindow::DataFileRead", "data items=%d, len=%d", words.at(0), words.at(1));
    switch (UserSetFile::save(path, words)) {
    case TextFile::Written::Whole:
        userSetAbout(this, title, tr("Data saved successfully"));
        break;
    case TextFile::Written::NotOpened:
        userSetAbout(this, title, tr("Failed to open file"));
        break;
    case TextFile::Written::Cut:
        userSetAbout(this, title, tr("Failed to save file"));
        break;
    }
    return ZTCAM_STATUS_SUCCESS;
}

uint32_t MainWindow::DataFileWrite(ZTCamHandle handle, int selector)
{
    if (!userSetSupported(handle, "MainWindow::DataFileWrite"))
        return ZTCAM_STATUS_NOT_SUPPORTED;
    const QString title = tr("Load");
    const QString path =
        UserPrompt::instance().getOpenFileName(this, title, QStringLiteral("."), QStringLiteral("(*.txt)"));
    if (path.isEmpty()) {
        userSetAbout(this, title, tr("The file path is empty"));
        return ZTCAM_STATUS_FILE_INVALID;
    }
    const UserSetFile::Loaded file = UserSetFile::load(path);
    if (!file.opened) {
        userSetAbout(this, title, tr("Failed to open file"));
        return ZTCAM_STATUS_FILE_INVALID;
    }
    LUMA_DEBUG("MainWindow::DataFileWrite", "File len=%lld, data len=%d", static_cast<long long>(file.fileBytes),
               static_cast<int>(file.words.size()));
    LUMA_DEBUG("MainWindow::DataFileWrite", "data items=%d, len=%d", file.words.value(0), file.words.value(1));
    // Nothing reaches the camera unless the whole block is there.
    if (!file.usable()) {
        userSetAbout(this, title, file.tooLarge ? tr("File too large") : tr("File too small"));
        return 0x80000000u;
    }

    const int length = file.words.at(1);
    QByteArray bytes(length * 4, '\0');
    for (int i = 0; i < length; ++i)
        qToLittleEndian<qint32>(file.words.at(i), bytes.data() + 4 * i);
    ZTCamFunc* func = ZTCamFunc::instance();
    func->WriteRegister32(handle, kRegSelector, selector, 4);
    func->WriteRegister32(handle, kRegMode, kModeWrite, 4);
    int offset = 0;
    for (int piece : UserSetFile::pieceSizes(bytes.size())) {
        // The camera's state register, read below, tells whether the block arrived.
        (void)ZTCAM_GenICam_SetRegisterValue(handle, reinterpret_cast<const uint8_t*>(bytes.constData()) + offset,
                                       kRegWindow, static_cast<uint32_t>(piece));
        offset += piece;
    }
    func->WriteRegister32(handle, kRegMode, kModeEnd, 4);

    int state = func->ReadRegister32(handle, kRegState);
    for (int reads = 1; state != 0 && reads < kStateReads; ++reads) {
        platform::os::sleepMs(100);
        state = func->ReadRegister32(handle, kRegState);
    }
    LUMA_DEBUG("MainWindow::DataFileWrite", "state=%d", state);
    userSetAbout(this, title, state != 0 ? tr("The data load failed") : tr("The data load is completed"));
    return ZTCAM_STATUS_SUCCESS;
}

// ---------------------------------------------------------------- parameter files

void MainWindow::refreshPanel(CZTPropGrp* panel, bool allValues)
{
    if (!panel)
        return;
    if (allValues)
        panel->refreshAllValues();
    else
        panel->refreshRoot();
    showImageSize();
}

void MainWindow::on_pushButton_Save_clicked()
{
    if (DataFileRead(m_curCam.handle, kUserSetSelector) != ZTCAM_STATUS_NOT_SUPPORTED)
        return;
    const QVector<ParamEntry> entries = walkParameters(m_curCam.handle);
    // A camera that lists nothing (gone, say) gives no file that would look
    // like a saved camera.
    if (entries.isEmpty()) {
        UserPrompt::instance().about(this, QStringLiteral("LumaDeck"), tr("No camera parameters could be read"));
        return;
    }
    const QString path = UserPrompt::instance().getSaveFileName(
        this, QStringLiteral("SavePrameterConfig"), QStringLiteral("./Text_file.txt"), QStringLiteral("all files(*.txt)"));
    if (path.isEmpty())
        return;  // cancelled
    QString text;
    for (const ParamEntry& entry : entries)
        text += ParamConfigFile::formatLine(entry);
    // A folder that takes no file and a disk that takes only part of it
    // alike: nothing was saved.
    if (TextFile::write(path, text) != TextFile::Written::Whole) {
        UserPrompt::instance().about(this, QStringLiteral("LumaDeck"), tr("Failed to save file"));
        return;
    }
    onWritelog(tr("Save Camera Prameter Success"));
}

void MainWindow::on_pushButton_Load_clicked()
{
    const uint32_t r = DataFileWrite(m_curCam.handle, kUserSetSelector);
    if (r == ZTCAM_STATUS_SUCCESS) {
        refreshPanel(m_pCurPropGrp, false);
        followPixelFormat(m_curCam);
        return;
    }
    if (r != ZTCAM_STATUS_NOT_SUPPORTED)
        return;
    const QString path =
        UserPrompt::instance().getOpenFileName(this, tr("LoadPrameterConfig"), QString(), QString());
    LUMA_DEBUG("MainWindow::on_pushButton_Load_clicked", "load xml path = %s \n\n", path.toUtf8().constData());
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    LUMA_DEBUG("MainWindow::on_pushButton_Load_clicked", "open file success \n\n");
    QTextStream in(&file);
    int usable = 0;
    QStringList shortLines;
    const QVector<ParamConfigFile::Setting> settings = ParamConfigFile::loadOrder(in, &usable, &shortLines);
    file.close();
    if (usable == 0) {
        UserPrompt::instance().about(this, QStringLiteral("LumaDeck"), QStringLiteral("File content is empty"));
        return;
    }
    // Offsets go to 0 before the size is set; an offset whose own line the
    // camera then refuses gets its old value back.
    QMap<QString, qint64> offsetsBefore;
    for (const QString& name : {QStringLiteral("OffsetX"), QStringLiteral("OffsetY")}) {
        const QByteArray utf8 = name.toUtf8();
        ZTCamElement element{};
        if (ZTCAM_GenICam_ElementAttr(m_curCam.handle, &element, utf8.constData(), ZTCAM_NODEMAP_CAMERA) ==
            ZTCAM_STATUS_SUCCESS)
            offsetsBefore[name] = element.value.intValue;
    }
    QMap<QString, bool> lastWrite;
    ParamConfigFile::Report report;
    for (const QString& name : shortLines)
        report.add(name, ParamConfigFile::Outcome::Unknown);  // a line that names no value
    for (const ParamConfigFile::Setting& setting : settings) {
        const ParamConfigFile::Outcome outcome = SetElementDown(setting.name, setting.value, setting.entry);
        lastWrite[setting.name] =
            outcome == ParamConfigFile::Outcome::Applied || outcome == ParamConfigFile::Outcome::Changed;
        if (setting.fromLine)
            report.add(setting.name, outcome);
    }
    for (auto it = offsetsBefore.cbegin(); it != offsetsBefore.cend(); ++it)
        if (lastWrite.contains(it.key()) && !lastWrite.value(it.key()))
            SetElementDown(it.key(), QString::number(it.value()));
    platform::os::sleepMs(300);
    refreshPanel(m_pCurPropGrp, false);
    followPixelFormat(m_curCam);
    // Success only for a file the camera took line by line as written.
    onWritelog(report.complete() ? tr("Load Camera Prameter Success") : report.summary());
}

ParamConfigFile::Outcome MainWindow::SetElementDown(QString name, QString value, QString entry)
{
    using Outcome = ParamConfigFile::Outcome;
    if (name.isEmpty() || value.isEmpty()) {
        LUMA_DEBUG("MainWindow::SetElementDown", "name = %s, value = %s", name.toUtf8().constData(),
                   value.toUtf8().constData());
        return name.isEmpty() ? Outcome::Unknown : Outcome::Refused;
    }
    const QByteArray utf8 = name.toUtf8();
    ZTCamElement element{};
    const ZTCamStatus status =
        ZTCAM_GenICam_ElementAttr(m_curCam.handle, &element, utf8.constData(), ZTCAM_NODEMAP_CAMERA);
    LUMA_DEBUG("MainWindow::SetElementDown", "---------------ret=%u, node.pName =%s \n\n",
               static_cast<unsigned>(status), utf8.constData());
    if (status != ZTCAM_STATUS_SUCCESS)
        return Outcome::Unknown;
    // The SDK's record names the element by our text while we write it.
    element.name = utf8.constData();
    bool ok = true;
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER: {
        qint64 v = 0;
        ok = ParamConfigFile::parseInteger(value, element.minimum.intValue, v);
        element.value.intValue = v;
        break;
    }
    case ZTCAM_ELEM_ENUMERATION: {
        const int index = value.toInt(&ok, 10);
        element.value.intValue = index;
        if (entry.isEmpty())
            break;
        // The entry goes by its name: another model lists its entries in
        // another order, or lacks this one.
        const int named = ElementText::entryIndex(element, entry, ok ? index : -1);
        if (named < 0) {
            onWritelog(tr("Parameter %1 not loaded: no entry \"%2\"")
                           .arg(ParamConfigFile::shownText(name), ParamConfigFile::shownText(entry)));
            return Outcome::Refused;
        }
        element.value.intValue = named;
        ok = true;
        break;
    }
    case ZTCAM_ELEM_BOOLEAN:
        if (name != QLatin1String("LUTEnable"))
            return Outcome::Refused;
        element.value.intValue = value.toInt(&ok, 10);
        break;
    case ZTCAM_ELEM_FLOAT:
        element.value.floatValue = value.toDouble(&ok);
        break;
    default:
        return Outcome::Refused;
    }
    // A value that is no number is not written (as 0 or otherwise).
    if (!ok) {
        onWritelog(tr("Parameter %1 not loaded: \"%2\" is not a number")
                       .arg(ParamConfigFile::shownText(name), ParamConfigFile::shownText(value)));
        return Outcome::Refused;
    }
    if (ZTCAM_GenICam_SetElementValue(m_curCam.handle, &element, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return Outcome::Refused;
    // A camera may take a value and keep another (the nearest it allows).
    ZTCamElement read = element;
    if (ZTCAM_GenICam_GetElementValue(m_curCam.handle, &read, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return Outcome::Applied;  // it took the value; what it holds cannot be told
    return holdsWritten(element, read) ? Outcome::Applied : Outcome::Changed;
}
