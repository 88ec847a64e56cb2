// A folder the scan could not read, as the window shows it: its reason as the tooltip of its
// row, a lock over its image, and the count below each folder on the folder page.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

#ifdef _WIN32
TEST(UnreadableFolders, ShowTheirReasonALockAndTheCountBelow) {
  GTEST_SKIP() << "folders are made unreadable with POSIX modes and checked with find, as nobody";
}
#else

// find's own complaints about the tree, "path: reason" per line, in the C locale.
std::string FindErrors(const std::string& root) {
  return RunCommand("export LC_ALL=C; find " + ShellQuote(root) +
                    " -printf '' 2>&1 >/dev/null | sed -e \"s/^find: '\\(.*\\)': /\\1: /\" | sort");
}

QModelIndex ChildNamed(const TFolderTreeModel& model, const QModelIndex& parent,
                       const QString& name) {
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    if (model.data(child, Qt::DisplayRole).toString() == name) return child;
  }
  return {};
}

QImage ImageOf(const TFolderTreeModel& model, const QModelIndex& index) {
  return model.data(index, Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
}

// The row of the information page after the written ones (Size on disk follows it).
std::pair<QString, QString> RowAfterWritten(const TVLMAnalyzerForm& a) {
  return {a.ListView1->Cell(4, 0), a.ListView1->Cell(4, 1)};
}

// Permissions stop only an ordinary user: as root the test runs itself again as nobody.
TEST(UnreadableFolders, ShowTheirReasonALockAndTheCountBelow) {
  if (::geteuid() == 0) {
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    const std::string user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    int status = -1;
    RunCommand("cd / && " + user + "test -x " + ShellQuote(self), &status);
    if (status != 0) GTEST_SKIP() << "the user nobody cannot run " << self;
    TTempDir home;
    ASSERT_EQ(::chmod(home.Path().c_str(), 0777), 0);
    const std::string out = RunCommand(
        "cd / && HOME=" + ShellQuote(home.Path()) + " XDG_DATA_HOME=" + ShellQuote(home / "data") +
            " XDG_RUNTIME_DIR= QT_QPA_PLATFORM=offscreen " + user + ShellQuote(self) +
            " --gtest_filter=UnreadableFolders.ShowTheirReasonALockAndTheCountBelow 2>&1",
        &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
    return;
  }
  TTempDir tmp;
  const std::string root = tmp / "tree";
  for (const char* d : {"", "/locked", "/open", "/open/deep", "/open/deep/shut", "/fine"}) {
    ASSERT_EQ(::mkdir((root + d).c_str(), 0755), 0) << d;
  }
  MakeFile(root + "/locked/secret", 999);
  MakeFile(root + "/open/deep/shut/hidden", 77);
  MakeFile(root + "/open/deep/seen.txt", 1234);
  MakeFile(root + "/fine/a.jpg", 4000);
  ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
  ASSERT_EQ(::chmod((root + "/open/deep/shut").c_str(), 0311), 0);  // searchable, not listable
  // The window gives the system's own text in the running locale; find's is read in C.
  const std::string denied = std::strerror(EACCES);
  const std::string errors = FindErrors(root);
  ASSERT_EQ(errors,
            root + "/locked: Permission denied\n" + root + "/open/deep/shut: Permission denied\n");

  TMainForm form(96, FakeServices());
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(root);
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  const TFolderTreeModel& model = *a.FolderView->Model;
  const QModelIndex top = model.index(0, 0, {});
  const QModelIndex locked = ChildNamed(model, top, QStringLiteral("locked"));
  const QModelIndex open = ChildNamed(model, top, QStringLiteral("open"));
  const QModelIndex fine = ChildNamed(model, top, QStringLiteral("fine"));
  const QModelIndex shut =
      ChildNamed(model, ChildNamed(model, open, QStringLiteral("deep")), QStringLiteral("shut"));
  ASSERT_TRUE(locked.isValid() && open.isValid() && fine.isValid() && shut.isValid());

  // The reason is the one find gives; a readable folder has no tooltip.
  EXPECT_EQ(model.data(locked, Qt::ToolTipRole).toString(), QString::fromStdString(denied));
  EXPECT_EQ(model.data(shut, Qt::ToolTipRole).toString(), QString::fromStdString(denied));
  EXPECT_FALSE(model.data(open, Qt::ToolTipRole).isValid());
  EXPECT_FALSE(model.data(fine, Qt::ToolTipRole).isValid());
  EXPECT_EQ(ImageOf(model, open), ImageOf(model, fine));
  EXPECT_NE(ImageOf(model, locked), ImageOf(model, fine));
  EXPECT_EQ(ImageOf(model, locked), ImageOf(model, shut));

  // The folder page goes on with the count below the focused folder; the written rows stay first.
  EXPECT_EQ(RowAfterWritten(a),
            std::make_pair(QStringLiteral("Unreadable folders below"), QStringLiteral("2")));
  EXPECT_EQ(a.ListView1->Cell(1, 1), QString::fromStdString(root));
  a.VirtualStringTree->setCurrentIndex(open);
  EXPECT_EQ(RowAfterWritten(a).second, QStringLiteral("1"));
  a.VirtualStringTree->setCurrentIndex(fine);
  EXPECT_EQ(RowAfterWritten(a).second, QStringLiteral("0"));
  ::chmod((root + "/locked").c_str(), 0755);
  ::chmod((root + "/open/deep/shut").c_str(), 0755);
}
#endif

}  // namespace
}  // namespace Vellumetric::Testing
