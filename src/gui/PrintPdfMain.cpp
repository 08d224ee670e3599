// zmk_print_pdf --print-pdf PAGE OUT: the window program's headless print mode (zmk --print-pdf)
// on its own, small and built without the sanitizers, so zemtor report --pdf prints in every tree.
#include "gui/PrintPdf.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "--print-pdf") != 0) {
        std::fprintf(stderr, "usage: %s --print-pdf PAGE OUT.pdf\n", argv[0]);
        return 2;
    }
    zmk::gui::PreparePrintPdfEnvironment();
    QApplication app(argc, argv);
    return zmk::gui::PrintPageToPdf(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
}
