#include "harness/helpers.h"

#include "korbase/datetime.h"
#include "korbase/files.h"
#include "korbase/hash.h"
#include "korbase/jsonobject.h"
#include "korbase/serializer.h"
#include "korbase/ui/formatprovider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/filename.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kortest;

namespace
{

std::vector<wxString> Relative(const std::vector<wxString>& files, const wxString& base)
{
    std::vector<wxString> out;
    for (const wxString& f : files)
        out.push_back(FilenameAbsoluteToRelative(f, base));
    return out;
}

// The hex digest a command-line tool prints for the file on its standard input, in
// either the "<hex>  -" or the "NAME (stdin) = <hex>" form.
std::string ToolHash(const std::string& tool, const wxString& path)
{
    const std::string line = Shell(tool + " < " + ShellQuote(path));
    const size_t equals = line.find(" = ");
    return equals != std::string::npos ? line.substr(equals + 3) : line.substr(0, line.find(' '));
}

} // namespace

TEST(Hash, MatchesTheReferenceToolsForEveryAlgorithm)
{
    const std::tuple<HashAlgorithm, const char*, const char*> cases[] = {{HASH_MD5, "MD5", "md5sum"},          {HASH_SHA1, "SHA1", "sha1sum"},
                          {HASH_SHA256, "SHA256", "sha256sum"}, {HASH_SHA384, "SHA384", "sha384sum"},
                          {HASH_SHA512, "SHA512", "sha512sum"}, {HASH_XXH64, "XXH64", "xxhsum -H1"},
                          {HASH_XXH3, "XXH3", "xxhsum -H3"},    {HASH_XXH128, "XXH128", "xxhsum -H2"}};
    TempDir dir;
    std::vector<wxString> files = {dir.WriteFile("empty", ""), dir.WriteFile("one", "a"),
                                   dir.WriteFile(wxString::FromUTF8("ünï cødé.txt"), "abc")};
    // Around the read buffer's size, and several megabytes.
    for (size_t size : {256u * 1024 - 1, 256u * 1024, 256u * 1024 + 1, 3u * 1024 * 1024 + 17})
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7919) % 251);
        files.push_back(dir.WriteFile(wxString::Format("%zu.bin", size), bytes));
    }
    for (const auto& [algorithm, name, tool] : cases)
    {
        EXPECT_EQ(HashAlgorithmName(algorithm), name);
        for (const wxString& f : files)
        {
            const wxString hash = KcvCalcHashFromFile(f, algorithm, true);
            EXPECT_EQ(hash.utf8_string(), ToolHash(tool, f)) << tool << " " << f.utf8_string();
            EXPECT_FALSE(KcvIsHashError(hash));
        }
    }
    const auto unknown = static_cast<HashAlgorithm>(8);
    EXPECT_TRUE(KcvIsHashError(KcvCalcHashFromFile(files[1], unknown, true)));
    EXPECT_EQ(HashAlgorithmName(unknown), "");
}

TEST(Hash, UnreadableFileIsAnErrorThatNeverMatches)
{
    TempDir dir;
    const wxString secret = dir.WriteFile("secret", "data");
    chmod(secret.fn_str(), 0);
    std::vector<wxString> unreadable = {dir / "missing", dir.MakeDir("folder")};
    if (geteuid() != 0) // root reads everything
        unreadable.push_back(secret);
    for (const wxString& path : unreadable)
    {
        const wxString hash = KcvCalcHashFromFile(path, HASH_XXH3, true);
        EXPECT_TRUE(hash.StartsWith("Unreadable: ")) << hash.utf8_string();
        EXPECT_TRUE(KcvIsHashError(hash));
        EXPECT_FALSE(KcvHashesMatch(hash, hash));
    }
    EXPECT_TRUE(KcvHashesMatch("0cc175b9", "0cc175b9"));
    EXPECT_FALSE(KcvHashesMatch("0cc175b9", "0CC175B9"));
}

TEST(Hash, SparseFileBeyondFourGiB)
{
    TempDir dir;
    const wxString path = dir / "sparse.bin";
    Shell("truncate -s 4G " + ShellQuote(path) + " && printf tail >> " + ShellQuote(path));
    ASSERT_EQ(wxFileName::GetSize(path), wxULongLong(4ull * 1024 * 1024 * 1024 + 4));
    EXPECT_EQ(KcvCalcHashFromFile(path, HASH_XXH3, true).utf8_string(), ToolHash("xxhsum -H3", path));
}

TEST(Files, ListingIsDepthFirstInByteOrder)
{
    TempDir dir;
    for (const char* name : {"b.txt", "B.txt", "a/z.txt", "a/sub/x.txt", "a/b.txt", "c/d.txt"})
        dir.WriteFile(name, "1");
    dir.MakeDir("empty");
    const std::vector<wxString> expected = {"B.txt", "a/b.txt", "a/sub/x.txt", "a/z.txt", "b.txt", "c/d.txt"};
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), AllFilesFilter(), true), dir.Path()), expected);
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), AllFilesFilter(), false), dir.Path()),
              (std::vector<wxString>{"B.txt", "b.txt"}));

    Strings filters(10);
    filters[3] = "*.TXT"; // case-sensitive: matches nothing
    filters[4] = "x.*";
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), filters, true), dir.Path()), std::vector<wxString>{"a/sub/x.txt"});
    EXPECT_TRUE(GetAllFiles(dir / "missing", AllFilesFilter(), true).empty() &&
                GetAllFiles("", AllFilesFilter(), true).empty());
}

TEST(Files, SymlinksFifosAndOddNames)
{
    TempDir dir;
    dir.WriteFile("tree/file.txt", "data");
    dir.WriteFile("outside/target.txt", "t");
    symlink("..", (dir / "tree/loop").fn_str());
    symlink((dir / "outside").fn_str(), (dir / "tree/dirlink").fn_str());
    symlink((dir / "outside/target.txt").fn_str(), (dir / "tree/filelink").fn_str());
    symlink((dir / "nowhere").fn_str(), (dir / "tree/dangling").fn_str());
    mkfifo((dir / "tree/pipe").fn_str(), 0600);
    // Not valid UTF-8: must still address the very file.
    const std::string oddName = std::string((dir / "tree").fn_str()) + "/odd\xff\xfe.bin";
    Shell("printf odd > '" + oddName + "'");

    const std::vector<wxString> files = GetAllFiles(dir / "tree", AllFilesFilter(), true);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(Relative({files[0], files[1]}, dir / "tree"), (std::vector<wxString>{"file.txt", "filelink"}));
    EXPECT_EQ(std::string(files[2].fn_str()), oddName);
    for (const wxString& f : files)
        EXPECT_FALSE(KcvIsHashError(KcvCalcHashFromFile(f, HASH_MD5, true))) << f.utf8_string();
}

TEST(Files, RelativePathsFoldersAndDesktop)
{
    const char* const relative[][3] = {
        {"/data/src/a/b/c.txt", "/data/src", "a/b/c.txt"}, {"/data/src/a/b/c.txt", "/data/src/", "a/b/c.txt"},
        {"/data/src/c.txt", "/data/src", "c.txt"},         {"/c.txt", "/", "c.txt"},
        {"", "/data/src", ""},                             {"/data/src2/c.txt", "/data/src", "../src2/c.txt"}};
    for (const auto& r : relative)
        EXPECT_EQ(FilenameAbsoluteToRelative(r[0], r[1]), r[2]) << r[0] << " in " << r[1];

    TempDir dir;
    const wxString deep = dir / "one/two/three";
    EXPECT_TRUE(CreateDirIfNotExists(deep) && wxDirExists(deep) && CreateDirIfNotExists(deep));
    EXPECT_FALSE(CreateDirIfNotExists(dir.WriteFile("plain", "x") + "/below"));
    EXPECT_EQ(GetUserDesktopPath(), TestHome()); // no desktop folder: the home itself
}

TEST(DateTime, NowAndIsoRoundTrip)
{
    const wxString now = DateTimeNowAsString();
    EXPECT_TRUE(now.length() == 14 && now.IsNumber()) << now.utf8_string();
    const wxDateTime when(11, wxDateTime::Dec, 2019, 14, 30, 5);
    EXPECT_EQ(DateTimeToString(when), "2019-12-11T14:30:05");
    EXPECT_EQ(StringToDateTime("2019-12-11T14:30:05"), when);
    for (const char* bad : {"", "yesterday", "2019-13-01T00:00:00", "2019-12-11T14:30:05junk", "2019-12-11"})
        EXPECT_FALSE(StringToDateTime(bad).IsValid()) << bad;
}

TEST(Serializer, FromStringAcceptsNumbersAndQuotesBadText)
{
    EXPECT_EQ(FromString<int>(" -7 "), -7);
    EXPECT_DOUBLE_EQ(FromString<double>("29.97"), 29.97);
    for (const char* bad : {"", "abc", "12abc", "1.5", "99999999999", "0x10"})
        EXPECT_THAT([&] { FromString<int>(bad); },
                    testing::ThrowsMessage<KorException>(testing::HasSubstr(std::string("\"") + bad + "\"")));
    for (const char* bad : {"", "fast", "1,5", "nan", "inf", "3.0x"})
        EXPECT_THROW(FromString<double>(bad), KorException) << bad;
}

namespace
{
class Record : public JsonObject
{
public:
    Record() : JsonObject("record") {}
    wxJSONValue WriteToJson() const override { return {{"title", ToJson(title)}, {"items", ToJson(items)}}; }
    bool ReadFromJson(const wxJSONValue& v) override
    {
        if (!v.is_object())
            return false;
        title = FromJson<wxString>(v.value("title", wxJSONValue()));
        items = FromJson<std::vector<wxString>>(v.value("items", wxJSONValue()));
        return true;
    }
    wxString title;
    std::vector<wxString> items;
};
} // namespace

TEST(Json, RecordRoundTripThroughTheConfigFolder)
{
    Record out;
    out.title = wxString::FromUTF8("Grüße \"quoted\"\n");
    out.items = {"a b", wxString::FromUTF8("ü"), ""};
    ASSERT_TRUE(out.Write());
    const wxString path = TestHome() + "/.config/korgui/record.json";
    EXPECT_EQ(out.GetFilePath(), path);
    Record in;
    EXPECT_TRUE(in.Read() && in.title == out.title && in.items == out.items);

    // A damaged record is refused and leaves the object as it was.
    Shell("printf '{\"title\": ' > " + ShellQuote(path));
    in.title = "kept";
    EXPECT_FALSE(in.Read());
    EXPECT_EQ(in.title, "kept");
    EXPECT_FALSE(out.Write("/proc/no-such-place"));
    wxJSONValue back;
    EXPECT_FALSE(TextToJson("[\"unterminated", back));
    EXPECT_EQ(FromJson<wxString>(wxJSONValue(5)), "");
}

// The default and the listing are checked through the capture window; here what it cannot show.
TEST(Formats, NamesAreSortedAndUnknownNamesInvalid)
{
    FormatProvider& formats = Singleton<FormatProvider>::Instance();
    const std::vector<wxString> names = formats.GetFormatNames(FormatProvider::MEDIA_VIDEO, true, true);
    EXPECT_TRUE(!names.empty() && std::is_sorted(names.begin(), names.end()));
    EXPECT_FALSE(formats.GetFormatFromName("no such format").IsValid());
}
