// The exports read back by python3's csv and json modules and compared with what the program's
// JSON report and stat say of the same tree.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "CliRunner.h"
#include "TRandomTree.h"
#include "TTempDir.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "export/ExportTables.h"

namespace Vellumetric {
namespace {

using namespace Testing;

// A name with every character CSV must protect, and a byte that is not UTF-8.
const std::string kTricky = "a,b\"c\nd\xff.mp4";

void MakeTrickyTree(const std::string& root) {
  MakeRandomTree(root, 0, false);
  ASSERT_EQ(::mkdir((root + "/" + kTricky).c_str(), 0755), 0);
  MakeFile(root + "/" + kTricky + "/" + kTricky, 5000000);
}

std::string Python(const std::string& script, const std::string& args) {
  return RunCommand("python3 -c " + ShellQuote(script) + " " + args + " 2>&1");
}

TEST(CliExport, FolderTreeCsvReadsBackAsTheJsonTree) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  MakeTrickyTree(root);
  // Rows in the JSON tree's pre-order, every field equal; the file is strict UTF-8 with CR LF
  // after every record.
  const char* script = R"PY(
import csv, io, json, subprocess, sys
cli, root, depth = sys.argv[1], sys.argv[2], sys.argv[3]
extra = ['--depth', depth] if depth != 'all' else []
raw = subprocess.run([cli, 'scan', root, '--csv'] + extra, capture_output=True, check=True).stdout
tree = json.loads(subprocess.run([cli, 'scan', root, '--json', '--no-history'] + extra,
                                 capture_output=True, check=True).stdout)['tree']
rows = list(csv.DictReader(io.StringIO(raw.decode('utf-8'), newline='')))
want = []
def walk(node, parent, level):
    want.append((node, parent, level))
    for child in node['children']:
        walk(child, node, level + 1)
walk(tree, None, 0)
problems = []
if len(rows) != len(want): problems.append('rows %d, folders %d' % (len(rows), len(want)))
for row, (node, parent, level) in zip(rows, want):
    share = row['share_of_parent_percent']
    if (row['path'], row['name'], int(row['depth']), int(row['size_bytes']), int(row['files']),
            int(row['folders'])) != (node['path'], node['name'], level, node['size'],
                                     node['files'], node['folders']):
        problems.append('row %r' % row)
    elif parent is None and share != '':
        problems.append('root share %r' % share)
    elif parent is not None and parent['size'] and abs(
            float(share) - node['size'] * 100 / parent['size']) > 0.0501:
        problems.append('share %r of %r' % (share, row['path']))
# Line breaks inside names are plain LF; every record ends in CR LF.
if not raw.endswith(b'\r\n') or raw.count(b'\r\n') != len(rows) + 1:
    problems.append('line ends')
print(len(rows), problems[:3])
)PY";
  const std::string all = Python(script, ShellQuote(kCli) + " " + ShellQuote(root) + " all");
  EXPECT_EQ(all.substr(all.find(' ')), " []\n") << all;
  EXPECT_GT(std::stoi(all), 50) << all;
  const std::string shallow = Python(script, ShellQuote(kCli) + " " + ShellQuote(root) + " 1");
  EXPECT_EQ(shallow.substr(shallow.find(' ')), " []\n") << shallow;
  EXPECT_LT(std::stoi(shallow), std::stoi(all));
}

// The tricky name through find --csv: commas, quotes and the line break come back exactly, the
// byte that is not UTF-8 as U+FFFD (as in the JSON), and the time is the file's last access with
// its UTC offset.
TEST(CliExport, AwkwardNameRoundTripsThroughFindCsv) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  MakeTrickyTree(root);
  const char* script = R"PY(
import csv, datetime, io, os, subprocess, sys
cli, root, tricky = sys.argv[1], sys.argv[2], os.fsencode(sys.argv[3])
raw = subprocess.run([cli, 'find', root, '--name', '*.MP4', '--min', '>4999999', '--csv'],
                     capture_output=True, check=True).stdout
rows = list(csv.reader(io.StringIO(raw.decode('utf-8'), newline='')))
header, body = rows[0], rows[1:]
print(header)
print(len(body))
row = dict(zip(header, body[0]))
shown = tricky.decode('utf-8', 'replace')
disk = os.path.join(os.fsencode(root), tricky, tricky)
stamp = datetime.datetime.fromisoformat(row['last_access'])
print(row['name'] == shown, row['path'] == root + '/' + shown + '/' + shown, row['size_bytes'])
print(stamp.utcoffset() is not None, int(stamp.timestamp()) == int(os.lstat(disk).st_atime))
)PY";
  EXPECT_EQ(Python(script, ShellQuote(kCli) + " " + ShellQuote(root) + " " + ShellQuote(kTricky)),
            "['path', 'name', 'size_bytes', 'size', 'group', 'last_access', 'disk_bytes']\n"
            "1\n"
            "True True 5000000\n"
            "True True\n");
}

// The window's exports of the biggest files and the Detail groups, in both forms, agree with the
// report of `scan --json` (where the time of each file also stands in Unix seconds, checked with
// stat).
TEST(CliExport, BiggestFilesAndGroupsAgreeWithTheJsonReport) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  MakeTrickyTree(root);
  TCliContext context;  // the group database the command line uses
  PrepareCliContext(context);
  TCliSession session(context.Groups, context.Extensions, false);
  ASSERT_TRUE(session.Scan(root, false));
  session.Summarise(root);
  TExportOptions options;
  std::string error;
  for (const TExportFormat format : {TExportFormat::Csv, TExportFormat::Json}) {
    options.Format = format;
    const std::string ext = format == TExportFormat::Csv ? ".csv" : ".json";
    ASSERT_TRUE(WriteExportFile(tmp / ("biggest" + ext),
                                ExportBiggestFiles(session.Biggest(), root, options),
                                TPathStyle::Posix, error))
        << error;
    ASSERT_TRUE(WriteExportFile(tmp / ("groups" + ext),
                                ExportDetailGroups(session.Detail(), options), TPathStyle::Posix,
                                error))
        << error;
  }
  const char* script = R"PY(
import csv, datetime, json, os, subprocess, sys
cli, root, out = sys.argv[1], sys.argv[2], sys.argv[3]
report = json.loads(subprocess.run([cli, 'scan', root, '--json', '--no-history'],
                                   capture_output=True, check=True).stdout)
def table(name):
    with open(os.path.join(out, name), encoding='utf-8', newline='') as f:
        return list(csv.DictReader(f))
def doc(name):
    with open(os.path.join(out, name), encoding='utf-8') as f:
        return json.load(f)
big_csv, big_json = table('biggest.csv'), doc('biggest.json')['biggest']
want = [(b['name'], b['location'], b['size'], b['last_access_unix']) for b in report['biggest']]
print(len(want) > 0, want == [(r['name'], r['location'], int(r['size_bytes']),
    int(datetime.datetime.fromisoformat(r['last_access']).timestamp())) for r in big_csv],
    want == [(b['name'], b['location'], b['size'], b['last_access_unix']) for b in big_json])
print(all(b['last_access_unix'] == (b['last_access'] // 10**7 - 11644473600) ==
          int(os.lstat(os.path.join(os.fsencode(b['location']), os.fsencode(b['name']))).st_atime)
          for b in report['biggest'] if '\ufffd' not in b['name']))
# Groups of equal size may come in either order.
groups = sorted((g['name'], g['count'], g['size']) for g in report['groups'])
print(len(groups) > 0, groups == sorted((r['group'], int(r['files']), int(r['size_bytes']))
                                        for r in table('groups.csv')),
      groups == sorted((g['name'], g['files'], g['size']) for g in doc('groups.json')['groups']))
)PY";
  const std::string out =
      Python(script, ShellQuote(kCli) + " " + ShellQuote(root) + " " + ShellQuote(tmp.Path()));
  EXPECT_EQ(out, "True True True\nTrue\nTrue True True\n") << out;
}

}  // namespace
}  // namespace Vellumetric
