// vexorin-icons: writes the program's icon as PNGs into a hicolor theme tree,
//   vexorin-icons OUTDIR  ->  OUTDIR/<n>x<n>/apps/vexorin.png  for every size the theme wants.
// The pictures come from the code that draws the window icon, so they always agree.
#include "artwork.h"

#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexorin-icons OUTDIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) || !app::cubeIcon(size).save(folder + QStringLiteral("/vexorin.png"))) {
            std::fprintf(stderr, "vexorin-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
