#include "ui/grid_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "temp_config_home.h"

namespace {

class GridExportTest : public ::testing::Test {
 protected:
  GridExportTest() {
    ui::InsertGridColumns(
        grid_, {{"合约", 70, ui::kAlignLeft}, {"金额", 70, ui::kAlignRight}, {"备注", 70, ui::kAlignCentre}});
  }

  void Add(const std::string& code, const std::string& amount, const std::string& remark) {
    ui::GridRow row = ui::CreateGridRow(grid_);
    row.SetText(0, code);
    row.SetText(1, amount);
    row.SetText(2, remark);
    grid_.AddRow(std::move(row));
  }

  static std::string Read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  ui::GridModel grid_;
  ui::testing::TempConfigHome home_;
};

TEST_F(GridExportTest, CsvQuotesCellsWithQuotesCommasOrLineBreaksAndEndsEachLineWithCommaAndTab) {
  Add("IF2406", "1,000", "");
  Add("cu2405", "12", "say \"hi\"");
  Add("m2405", "3", "two\nlines");
  EXPECT_EQ(ui::CsvText(grid_, {0, 1, 2}),
            "合约,金额,备注,\t\n"
            "IF2406,\"1,000\",,\t\n"
            "cu2405,12,\"say \"\"hi\"\"\",\t\n"
            "m2405,3,\"two\nlines\",\t\n");
  // The columns given, in their order; rows the filter hides are left out.
  grid_.SetFilter({0, false, {"cu2405", "m2405"}});
  EXPECT_EQ(ui::CsvText(grid_, {2, 0}), "备注,合约,\t\n\"say \"\"hi\"\"\",cu2405,\t\n\"two\nlines\",m2405,\t\n");
  grid_.SetFilter({0, false, {}});
  EXPECT_EQ(ui::CsvText(grid_, {0}), "合约,\t\n");
}

TEST_F(GridExportTest, HtmlIsOneTableOfTheShownCellsEscaped) {
  Add("IF2406", "<5>", "a&b");
  Add("cu2405", "1", "x");
  grid_.Sort(0, true, false);
  grid_.SetFilter({2, false, {"a&b"}});
  const std::string html = ui::HtmlText(grid_, {0, 1, 2}, "EntrustGrid");
  EXPECT_NE(html.find("charset=GBK"), std::string::npos);
  EXPECT_NE(html.find("<title>EntrustGrid</title>"), std::string::npos);
  EXPECT_NE(html.find("<tr><th>合约</th><th>金额</th><th>备注</th></tr>\n"), std::string::npos);
  EXPECT_NE(html.find("<tr><td align=\"left\">IF2406</td><td align=\"right\">&lt;5&gt;</td>"
                      "<td align=\"center\">a&amp;b</td></tr>\n"),
            std::string::npos);
  EXPECT_EQ(html.find("cu2405"), std::string::npos);
}

TEST_F(GridExportTest, AFileIsWrittenWithCarriageReturnsAndTheResultIsToldWithItsPath) {
  const std::filesystem::path path = home_.Folder() / "EntrustGrid.csv";
  ASSERT_EQ(ui::WriteExportFile(path.string(), "合约,\t\nIF,\t\n"), ui::ExportResult::kSaved);
  EXPECT_EQ(Read(path), "合约,\t\r\nIF,\t\r\n");
  // Written again: replaced, not appended.
  ASSERT_EQ(ui::WriteExportFile(path.string(), "x\n"), ui::ExportResult::kSaved);
  EXPECT_EQ(Read(path), "x\r\n");
  EXPECT_EQ(ui::ExportResultText(ui::ExportResult::kSaved, "/tmp/a.csv"), "保存文件/tmp/a.csv成功！");
}

TEST_F(GridExportTest, APathThatCannotBeWrittenIsNeverReportedAsSaved) {
  // Something that is there but takes no writing: left as it is.
  const std::filesystem::path folder = home_.Folder() / "taken.csv";
  std::filesystem::create_directory(folder);
  EXPECT_EQ(ui::WriteExportFile(folder.string(), "x\n"), ui::ExportResult::kInUse);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(ui::ExportResultText(ui::ExportResult::kInUse, "a.csv"), "文件a.csv正在使用中，请关闭后再操作");
  // A file that cannot be created at all.
  const std::filesystem::path missing = home_.Folder() / "no such folder" / "a.csv";
  EXPECT_EQ(ui::WriteExportFile(missing.string(), "x\n"), ui::ExportResult::kNotWritten);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(ui::ExportResultText(ui::ExportResult::kNotWritten, "a.csv"), "保存文件a.csv失败！");
  // A device that is full: the write fails on closing.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(ui::WriteExportFile("/dev/full", "x\n"), ui::ExportResult::kNotWritten);
  }
}

}  // namespace
