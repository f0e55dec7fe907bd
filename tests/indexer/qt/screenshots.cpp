// indexer_screenshots OUTPUT_FOLDER: pictures of the indexer's windows for a look by eye
// (scripts/screenshot-indexer.sh runs it). It fills a temporary home with three profiles,
// runs one of them, and saves the profile manager, the profile editor, the run window
// during and after a run and the about box as PNG files.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "config/folders.h"
#include "config/profiles.h"
#include "indexer/command_line.h"
#include "indexer/qt/icons.h"
#include "indexer/qt/profile_editor.h"
#include "indexer/qt/profile_manager.h"
#include "indexer/qt/prompts.h"
#include "indexer/qt/run_window.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

QString output;

void Save(QWidget* widget, const char* name) {
  const QString path = output + QLatin1Char('/') + QLatin1String(name);
  const bool ok = widget->grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.toUtf8().constData());
}

// A run window that takes its picture in the middle of the run.
class PhotographedRunWindow : public Tindexf {
 public:
  using Tindexf::Tindexf;
  int calls = 0;
  void ProcessPendingInput() override {
    Tindexf::ProcessPendingInput();
    if (++calls == 40) Save(this, "run-window-running.png");
  }
};

std::string MakeProfile(const test::TempHome& home, const std::string& name,
                        const std::string& title, int files, bool secondFolderOff) {
  const std::string folder = (home / ("Documents/" + name)).string();
  for (int i = 0; i < files; ++i)
    test::WriteFile(folder + "/Report " + std::to_string(2000 + i) + ".txt",
                    "Quarterly report number " + std::to_string(i) + " of the " + name +
                        " department with figures and remarks\n");
  TIndp profile;
  profile.title = title;
  profile.tag = name;
  profile.ifile = DataFolder() + "/" + name + ".db";
  profile.items.Add({folder, "*.doc *.docx *.odt *.pdf *.txt", "", true});
  if (secondFolderOff) profile.items.Add({"/media/backup/" + name, "*.txt", "", false});
  profile.SaveProfile(ProfilePath(name));
  return ProfilePath(name);
}

int Main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(IndexerIcon());
  // The offscreen platform has no desktop theme; give it the icon theme a desktop would.
  QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
  QIcon::setThemeName(QStringLiteral("Adwaita"));
  if (argc < 2) {
    std::fprintf(stderr, "usage: indexer_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  output = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(output);
  test::TempHome home;
  InitPaths();

  const std::string office = MakeProfile(home, "office", "Office documents", 400, true);
  MakeProfile(home, "archive", "Project archive 2010-2020 & older <drafts>", 3, true);
  MakeProfile(home, "letters", "Letters", 5, false);

  CommandLineOptions options;
  Prompts& prompts = DefaultPrompts();
  PhotographedRunWindow runWindow(options, prompts);
  runWindow.Run().RunProfiles({office, ProfilePath("missing")}, false);
  runWindow.ShowButtonCaption("Close");
  runWindow.show();
  Save(&runWindow, "run-window-finished.png");
  runWindow.hide();

  TForm1 editor(prompts);
  Tf_indexes manager(editor, runWindow, options, prompts);
  manager.show();
  manager.g->item(1, Tf_indexes::kMark)->setCheckState(Qt::Checked);
  manager.g->setCurrentCell(1, Tf_indexes::kProfile);
  Save(&manager, "profile-manager.png");

  editor.PrepareEdit("archive");
  editor.show();
  editor.g->selectRow(0);
  Save(&editor, "profile-editor.png");
  editor.hide();

  QTimer::singleShot(100, [] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      Save(box, "about-box.png");
      box->close();
    }
  });
  manager.About1Click();
  return 0;
}

}  // namespace
}  // namespace vexa

int main(int argc, char** argv) { return vexa::Main(argc, argv); }
