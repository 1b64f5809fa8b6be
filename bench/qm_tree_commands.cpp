// qm-tree-commands [PHOTO.jpg]: the item tree commands on the real editor window
// (offscreen, scripted prompts, a private home folder):
//   - batch import of 1,000 pictures;
//   - Delete and Move Up of a top-level item in a 10,000-item tree, flat and as
//     1,000 top-level items with nine children each;
//   - selecting an item whose picture is a 24-megapixel JPEG until its preview has
//     been painted (PHOTO, or a 6000 x 4000 picture made with the program's encoder).
// Each figure is the median of several runs, in milliseconds of wall-clock time and,
// for a machine shared with other work, of the processor time the program used.
#include "model/AppletAgent.h"
#include "publish/codecs/JpegCodec.h"
#include "ui/GUI.h"
#include "ui/PicturePreview.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Timing
{
    double wall = 0; // ms
    double cpu = 0;  // ms
};

// Runs `setUp` (not timed) and then `timed`, `runs` times; the medians of the timed parts.
Timing Measure(int runs, const std::function<void()> &setUp, const std::function<void()> &timed)
{
    std::vector<double> wall, cpu;
    for (int r = 0; r < runs; ++r) {
        setUp();
        QElapsedTimer clock;
        const std::clock_t started = std::clock();
        clock.start();
        timed();
        wall.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpu.push_back(double(std::clock() - started) * 1000.0 / CLOCKS_PER_SEC);
    }
    return {Median(wall), Median(cpu)};
}

// `top` top-level items, each with `children` children; every item names a picture.
void Fill(TMainForm &form, int top, int children)
{
    TItemArray items;
    for (int t = 0; t < top; ++t) {
        for (int c = 0; c <= children; ++c) {
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = QStringLiteral("/pictures/p%1_%2.jpg").arg(t).arg(c);
            item.Level = c == 0 ? QStringLiteral("0") : QStringLiteral("1");
            items.push_back(item);
        }
    }
    form.Loading = true;
    TAppletAgent::RebuildTree(items, *form.Tree());
    form.Document->Items = items;
    form.Loading = false;
    form.Tree()->Root()->setExpanded(true);
}

// A 6000 x 4000 picture with detail everywhere, so that it does not compress away.
QByteArray MakePhoto()
{
    Bitmap picture(6000, 4000);
    std::uint32_t noise = 12345;
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t *row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 27);
            row[3 * x] = std::uint8_t(128 + 100 * std::sin(x * 0.003 + y * 0.001) + n);
            row[3 * x + 1] = std::uint8_t(128 + 100 * std::sin(y * 0.004) + n);
            row[3 * x + 2] = std::uint8_t(128 + 100 * std::cos((x + y) * 0.002) + n);
        }
    }
    return EncodeJpeg(picture, 90);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    TScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;
    const auto fresh = [&] {
        form.reset();
        form = std::make_unique<TMainForm>(prompts);
    };

    // Batch import of 1,000 pictures into an empty gallery.
    QStringList pictures;
    for (int i = 0; i < 1000; ++i)
        pictures << QStringLiteral("/pictures/holiday %1.jpg").arg(i);
    const Timing import = Measure(
        7,
        [&] {
            fresh();
            prompts.pictures = {pictures};
        },
        [&] { form->btnBatchImportImgs->click(); });
    std::printf("batch import of 1000 pictures: %.1f ms (cpu %.1f ms)\n", import.wall, import.cpu);

    // Delete and Move Up of a top-level item in the middle of 10,000 items.
    for (const auto &[top, children] : {std::pair{10000, 0}, std::pair{1000, 9}}) {
        const int middle = 1 + (top / 2) * (children + 1);
        const auto select = [&] {
            fresh();
            Fill(*form, top, children);
            form->Tree()->setCurrentItem(form->Tree()->NodeAt(middle));
            prompts.answers = {TAnswer::Yes};
        };
        const Timing remove = Measure(7, select, [&] { form->Delete1Click(); });
        const Timing up = Measure(7, select, [&] { form->MoveUp1Click(); });
        std::printf("10000 items as %d x %d: Delete %.2f ms (cpu %.2f ms), Move Up %.2f ms (cpu %.2f ms)\n", top, children + 1, remove.wall,
                    remove.cpu, up.wall, up.cpu);
    }

    // Selecting an item whose picture is a 24-megapixel JPEG, until the preview is painted.
    QString photo = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (photo.isEmpty()) {
        photo = home.path() + QStringLiteral("/photo.jpg");
        QFile file(photo);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakePhoto()) < 0)
            return 1;
    }
    fresh();
    form->show();
    Fill(*form, 2, 0);
    for (int i = 0; i < 2; ++i) {
        TItemData item = form->Document->GetItem(i);
        item.OriginalImagePath = photo;
        form->Document->SetItem(item, i);
    }
    auto *preview = form->findChild<TPicturePreview *>(QStringLiteral("imgPreview"));
    int next = 1;
    const Timing select = Measure(
        7,
        [&] {
            // The other item first, so that every run selects anew.
            form->Tree()->setCurrentItem(form->Tree()->Root());
            QApplication::processEvents();
            next = 3 - next;
        },
        [&] {
            form->Tree()->setCurrentItem(form->Tree()->NodeAt(next));
            preview->repaint();
        });
    std::printf("selecting an item with a %dx%d JPEG until its preview shows: %.1f ms (cpu %.1f ms; preview %dx%d)\n",
                preview->Picture().fullSize.width(), preview->Picture().fullSize.height(), select.wall, select.cpu,
                preview->PictureRect().width(), preview->PictureRect().height());
    return prompts.calls.filter(QStringLiteral("error")).isEmpty() ? 0 : 1;
}
