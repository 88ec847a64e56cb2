// The options dialog against a real group database in a temporary folder.
#include <gtest/gtest.h>

#include "TScriptedPrompts.h"
#include "TTempDir.h"
#include "cli/TCliSession.h"
#include "filetypes/VLMOptions.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"

namespace Vellumetric {
namespace {

using namespace Testing;

struct TOptionsFixture {
  TTempDir Folder;
  std::string Db = Folder / "fileExtData.sqlite";
  TFileExtDescList Groups;
  TFileExtList Extensions;
  TScriptedPrompts Script;

  TOptionsFixture() {
    VLMOptions db(Db, [](const std::string&) {});
    static_cast<void>(db.LoadGroups(Groups));
    static_cast<void>(db.LoadExtensions(Extensions));
  }
  // What the database holds now, read back independently of the dialog's lists.
  std::pair<TFileExtDescList, TFileExtList> Stored() const {
    std::pair<TFileExtDescList, TFileExtList> out;
    VLMOptions db(Db, [](const std::string&) {});
    static_cast<void>(db.LoadGroups(out.first));
    static_cast<void>(db.LoadExtensions(out.second));
    return out;
  }
};

QTreeWidgetItem* ItemOf(TVLMOptionsForm& form, const QString& prefix) {
  for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i) {
    if (form.ListView1->topLevelItem(i)->text(0).startsWith(prefix)) {
      return form.ListView1->topLevelItem(i);
    }
  }
  return nullptr;
}

void AddExtension(TVLMOptionsForm& form, const QString& text) {
  form.Edit2->setText(text);
  form.Button3->click();
}

TEST(OptionsForm, ListAndDuplicateExtensions) {
  TOptionsFixture f;
  TVLMOptionsForm form(nullptr, f.Groups, f.Extensions, f.Db, 96, 96, f.Script.Prompts());
  form.show();
  ASSERT_EQ(form.ListView1->topLevelItemCount(), 11);
  EXPECT_NE(ItemOf(form, QStringLiteral("Font Files (*.fnt, *.fon, *.otf, *.ttf)")), nullptr);
  EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0).left(14), QStringLiteral("3D Image Files"));
  EXPECT_EQ(form.ToolButton3->iconSize(), QSize(16, 16));
  EXPECT_FALSE(form.ToolButton1->isEnabled());

  form.ToolButton3->click();  // Add
  EXPECT_TRUE(form.IsButtonShown(form.ToolButton2));
  EXPECT_FALSE(form.IsButtonShown(form.ToolButton3));
  EXPECT_FALSE(form.SaveButton->isEnabled());
  EXPECT_FALSE(form.Button3->isEnabled());
  AddExtension(form, QStringLiteral(".JPG"));
  EXPECT_EQ(f.Script.Shown,
            std::vector<std::string>{"Duplicate File extension|.JPG is already inlcluded in Raster "
                                     "Image Files file extension group."});
  EXPECT_EQ(form.ListBox1->count(), 0);
  AddExtension(form, QStringLiteral("xyz"));  // the dot is put in front
  ASSERT_EQ(form.ListBox1->count(), 1);
  EXPECT_EQ(form.ListBox1->currentItem()->text(), QStringLiteral(".xyz"));
  EXPECT_FALSE(form.SaveButton->isEnabled());  // no name yet
  form.Edit1->setText(QStringLiteral("Mine"));
  EXPECT_TRUE(form.SaveButton->isEnabled());

  form.ToolButton2->click();  // Back discards the panel
  EXPECT_FALSE(form.Panel1->isVisible());
  EXPECT_TRUE(form.IsButtonShown(form.Reset_ToolButton));
  EXPECT_EQ(f.Groups.size(), 11u);
}

TEST(OptionsForm, RemoveAddEditAndResetReachTheDatabase) {
  TOptionsFixture f;
  TVLMOptionsForm form(nullptr, f.Groups, f.Extensions, f.Db, 96, 120, f.Script.Prompts());
  form.show();
  EXPECT_EQ(form.Reset_ToolButton->iconSize(), QSize(32, 32));
  EXPECT_EQ(form.ToolBar1->height(), form.ToolButton3->sizeHint().height());

  ItemOf(form, QStringLiteral("Video Files"))->setSelected(true);
  EXPECT_TRUE(form.ToolButton6->isEnabled());
  f.Script.Answers = {true};
  form.ToolButton6->click();
  EXPECT_EQ(f.Script.Shown.back(),
            "Remove File Extension Group|Are you sure you want to remove 'Video Files' file "
            "extension group?");
  auto stored = f.Stored();
  EXPECT_EQ(stored.first.size(), 10u);
  EXPECT_EQ(stored.second.size(), 91u - 14u);
  EXPECT_EQ(form.ListView1->topLevelItemCount(), 10);
  EXPECT_TRUE(form.ListView1->selectedItems().isEmpty());
  EXPECT_FALSE(form.ToolButton6->isEnabled());

  // The next new group takes the free id 3; .avi of the removed group is free again.
  form.ToolButton3->click();
  form.Edit1->setText(QStringLiteral("Clip's Files"));
  AddExtension(form, QStringLiteral(".mkv"));
  AddExtension(form, QStringLiteral("avi"));
  form.SaveButton->click();
  EXPECT_FALSE(form.Panel1->isVisible());
  // The new item has the focus but is not selected, so Remove and Edit stay off.
  EXPECT_EQ(form.ListView1->currentItem()->text(0), QStringLiteral("Clip's Files (*.avi, *.mkv)"));
  EXPECT_TRUE(form.ListView1->selectedItems().isEmpty());
  EXPECT_FALSE(form.ToolButton1->isEnabled());
  EXPECT_NE(ItemOf(form, QStringLiteral("Clip's Files (*.avi, *.mkv)")), nullptr);
  stored = f.Stored();
  ASSERT_EQ(stored.first.size(), 11u);
  const auto clips = std::find_if(stored.first.begin(), stored.first.end(),
                                  [](const auto& g) { return g.Desc == "Clip's Files"; });
  ASSERT_NE(clips, stored.first.end());
  EXPECT_EQ(clips->ID, 3);
  EXPECT_EQ(f.Groups.back().ID, 3);

  // Editing renames the group and replaces its extensions, in the lists and the database.
  ItemOf(form, QStringLiteral("Clip's Files"))->setSelected(true);
  form.ToolButton1->click();
  EXPECT_EQ(form.ListBox1->currentItem()->text(), QStringLiteral(".avi"));
  f.Script.Answers = {true};
  form.Button4->click();  // removes .avi
  form.Edit1->setText(QStringLiteral("Clips"));
  form.SaveButton->click();
  EXPECT_NE(ItemOf(form, QStringLiteral("Clips (*.mkv)")), nullptr);
  stored = f.Stored();
  EXPECT_EQ(std::count_if(stored.second.begin(), stored.second.end(),
                          [](const TFileExtData& e) { return e.DescID == 3; }),
            1);

  // Removing the last entry disables Save; Save with an empty list refuses and stays.
  ItemOf(form, QStringLiteral("Clips"))->setSelected(true);
  form.ToolButton1->click();
  f.Script.Answers = {true};
  form.Button4->click();
  EXPECT_EQ(form.ListBox1->count(), 0);
  EXPECT_FALSE(form.SaveButton->isEnabled());
  form.SaveButtonClick();
  EXPECT_EQ(f.Script.Shown.back(),
            "No File Extension Added|Please add at least one file extension to the listbox");
  EXPECT_TRUE(form.Panel1->isVisible());
  form.ToolButton2->click();
  EXPECT_EQ(f.Stored().second.size(), 91u - 14u + 1u);

  f.Script.Answers = {false, true};
  form.Reset_ToolButton->click();  // No: nothing changes
  EXPECT_EQ(f.Stored().first.size(), 11u);
  EXPECT_NE(ItemOf(form, QStringLiteral("Clips")), nullptr);
  form.Reset_ToolButton->click();
  EXPECT_EQ(f.Script.Shown.back(),
            "Remove File Extension|Are you sure you want to reset file extension data back to "
            "default?");
  stored = f.Stored();
  EXPECT_EQ(stored.first.size(), 11u);
  EXPECT_EQ(stored.second.size(), 91u);
  EXPECT_EQ(f.Groups.size(), 11u);
  EXPECT_EQ(f.Extensions.size(), 91u);
  EXPECT_EQ(ItemOf(form, QStringLiteral("Clips")), nullptr);
  EXPECT_NE(ItemOf(form, QStringLiteral("Video Files")), nullptr);
}

// The lists the dialog edits are the ones the next scan classifies with.
TEST(OptionsForm, ANewGroupIsUsedByTheNextScan) {
  TOptionsFixture f;
  TTempDir tree;
  MakeFile(tree / "movie.mkv", 7000);
  MakeFile(tree / "photo.jpg", 100);
  TVLMOptionsForm form(nullptr, f.Groups, f.Extensions, f.Db, 96, 96, f.Script.Prompts());
  form.show();
  form.ToolButton3->click();
  form.Edit1->setText(QStringLiteral("Matroska Files"));
  AddExtension(form, QStringLiteral("MKV"));
  form.SaveButton->click();

  TCliSession scan(f.Groups, f.Extensions, false);
  ASSERT_TRUE(scan.Scan(tree.Path(), false));
  scan.Summarise(tree.Path());
  std::vector<std::string> groups;
  const TSummaryTree& detail = scan.Detail();
  for (TNodeId s = detail.FirstChild(NoNode); s != NoNode; s = detail.NextSibling(s)) {
    groups.push_back(detail.Data(s).Name);
  }
  groups.resize(2);  // the rest are the empty groups
  EXPECT_EQ(groups, (std::vector<std::string>{"Matroska Files (1)", "Raster Image Files (1)"}));
}

}  // namespace
}  // namespace Vellumetric
