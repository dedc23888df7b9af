#include "GuiTestSupport.h"

#include <QCoreApplication>
#include <QFile>

namespace volcatra::test {

std::unique_ptr<CRootEntry> MakeVolume(std::u16string label, uint32_t driveType) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = std::move(label);
    root->m_driveType = driveType;
    root->m_childIndex = 0;
    root->m_serialNumber = 0x12345678;
    return root;
}

void GuiTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    auto settings = OpenSettings();
    settings->clear();
    settings->sync();
    m_clipboard.Clear();
    m_volumes = {};
    m_fileManager.requests.clear();
    m_media = {};
}

void GuiTest::TearDown() {
    DestroyApp();
}

void GuiTest::DestroyApp() {
    if (!m_app) return;
    m_app.reset();
    Flush();
}

CFSRecApp& GuiTest::MakeApp(std::function<void(AppServices&)> adjust) {
    DestroyApp();
    AppServices services;
    services.m_messages = &m_messages;
    services.m_clipboard = &m_clipboard;
    services.m_volumes = &m_volumes;
    services.m_fileManager = &m_fileManager;
    services.m_removableMedia = &m_media;
    services.m_programDirectory = QCoreApplication::applicationDirPath();
    services.m_runDialog = [this](QDialog& dialog) { return m_dialogHandler ? m_dialogHandler(dialog) : 0; };
    if (adjust) adjust(services);
    m_app = std::make_unique<CFSRecApp>(std::move(services));
    return *m_app;
}

CFSRecApp& GuiTest::StartApp(const QStringList& arguments, std::function<void(AppServices&)> adjust) {
    CFSRecApp& app = MakeApp(std::move(adjust));
    EXPECT_TRUE(app.InitInstance(arguments));
    Flush();
    return app;
}

QString GuiTest::WriteCatalogue(RootList roots, const QString& fileName) {
    const QString path = m_dir.filePath(fileName);
    SaveCatalogueFile(QFile::encodeName(path).toStdString(), [&roots] {
        std::vector<CRootEntry*> plain;
        for (auto& root : roots) plain.push_back(root.get());
        return plain;
    }());
    return path;
}

CChildFrame* GuiTest::ActiveFrame() const {
    return m_app && m_app->MainFrame() ? m_app->MainFrame()->ActiveCatalogueFrame() : nullptr;
}

QStringList GuiTest::ListNames() const {
    QStringList names;
    CFSListModel& model = List().Model();
    for (int row = 0; row < model.rowCount(); ++row) names << model.Text(row, 0);
    return names;
}

void GuiTest::Flush() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace volcatra::test

int main(int argc, char** argv) {
    // Test discovery runs without the tests' environment: never look for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Run by hand without the tests' environment, the settings still stay
    // out of the user's configuration.
    QTemporaryDir config;
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.filePath(QStringLiteral("config"))));
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
