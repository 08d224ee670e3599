// The widget tests' entry: one application object for the tests of this process, on the
// offscreen platform unless a display is asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

// Qt and its web engine (Chromium) are not built with the sanitizers. Chromium's sized deletes
// look mismatched to the address sanitizer, and the engine and the font library keep objects
// until the process ends. In a sanitizer build these reports are muted for this program alone
// (zmk_tests keeps every check), and only leaks of those libraries are suppressed; the zmk that
// ProgramTest starts gets the same through its environment (lsan.supp). Other builds ignore
// these two functions.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libdbus-1.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
