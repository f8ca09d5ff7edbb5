#include "harness/helpers.h"

#include "korbase/datetime.h"
#include "korbase/files.h"
#include "korbase/ui/formatprovider.h"
#include "korbase/hash.h"
#include "korbase/jsonobject.h"
#include "korbase/serializer.h"

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

struct Algo
{
    HashAlgorithm algorithm;
    const char* tool;
};
const Algo algorithms[] = {{HASH_MD5, "md5sum"},       {HASH_SHA1, "sha1sum"},     {HASH_SHA256, "sha256sum"},
                           {HASH_SHA384, "sha384sum"}, {HASH_SHA512, "sha512sum"}};

} // namespace

TEST(Hash, MatchesCoreutilsForEveryAlgorithm)
{
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, '\0'); // spans several read blocks
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) % 251);
    const wxString files[] = {dir.WriteFile("empty", ""), dir.WriteFile("abc", "abc"),
                              dir.WriteFile("big.bin", big), dir.WriteFile(wxString::FromUTF8("ünï cødé.txt"), "x")};
    for (const Algo& a : algorithms)
    {
        for (const wxString& f : files)
        {
            const wxString hash = KcvCalcHashFromFile(f, a.algorithm, true);
            EXPECT_EQ(hash.utf8_string(), CoreutilsHash(a.tool, f)) << a.tool << " " << f.utf8_string();
            EXPECT_FALSE(KcvIsHashError(hash));
        }
    }
}

TEST(Hash, UnreadableFileIsAnErrorThatNeverMatches)
{
    TempDir dir;
    const wxString missing = dir / "missing";
    const wxString hash = KcvCalcHashFromFile(missing, HASH_SHA256, true);
    EXPECT_TRUE(hash.StartsWith("Unreadable: ")) << hash.utf8_string();
    EXPECT_TRUE(KcvIsHashError(hash));
    EXPECT_FALSE(KcvHashesMatch(hash, hash));

    if (geteuid() != 0) // root reads everything
    {
        const wxString secret = dir.WriteFile("secret", "data");
        chmod(secret.fn_str(), 0);
        EXPECT_TRUE(KcvIsHashError(KcvCalcHashFromFile(secret, HASH_MD5, true)));
    }
    const wxString folder = dir.MakeDir("folder");
    EXPECT_TRUE(KcvIsHashError(KcvCalcHashFromFile(folder, HASH_MD5, true)));

    const wxString real = KcvCalcHashFromFile(dir.WriteFile("a", "a"), HASH_MD5, true);
    EXPECT_TRUE(KcvHashesMatch(real, real));
    EXPECT_FALSE(KcvHashesMatch(real, real.Upper()));
}

TEST(Hash, SparseFileBeyondFourGiB)
{
    TempDir dir;
    const wxString path = dir / "sparse.bin";
    Shell("truncate -s 4G " + ShellQuote(path) + " && printf tail >> " + ShellQuote(path));
    ASSERT_EQ(wxFileName::GetSize(path), wxULongLong(4ull * 1024 * 1024 * 1024 + 4));
    EXPECT_EQ(KcvCalcHashFromFile(path, HASH_MD5, true).utf8_string(), CoreutilsHash("md5sum", path));
}

TEST(Files, ListingIsDepthFirstInByteOrder)
{
    TempDir dir;
    dir.WriteFile("b.txt", "1");
    dir.WriteFile("B.txt", "1");
    dir.WriteFile("a/z.txt", "1");
    dir.WriteFile("a/sub/x.txt", "1");
    dir.WriteFile("a/b.txt", "1");
    dir.WriteFile("c/d.txt", "1");
    dir.MakeDir("empty");

    const std::vector<wxString> expected = {"B.txt", "a/b.txt", "a/sub/x.txt", "a/z.txt", "b.txt", "c/d.txt"};
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), AllFilesFilter(), true), dir.Path()), expected);

    const std::vector<wxString> flat = {"B.txt", "b.txt"};
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), AllFilesFilter(), false), dir.Path()), flat);
    // A trailing separator on the folder changes nothing.
    EXPECT_EQ(GetAllFiles(dir.Path() + "/", AllFilesFilter(), true).size(), expected.size());

    Strings filters(10);
    filters[3] = "*.TXT";
    EXPECT_TRUE(GetAllFiles(dir.Path(), filters, true).empty());
    filters[4] = "x.*";
    EXPECT_EQ(Relative(GetAllFiles(dir.Path(), filters, true), dir.Path()), std::vector<wxString>{"a/sub/x.txt"});

    EXPECT_TRUE(GetAllFiles(dir / "does-not-exist", AllFilesFilter(), true).empty());
    EXPECT_TRUE(GetAllFiles("", AllFilesFilter(), true).empty());
}

TEST(Files, SymlinksFifosAndOddNames)
{
    TempDir dir;
    dir.WriteFile("tree/file.txt", "data");
    dir.WriteFile("outside/target.txt", "t");
    symlink("..", (dir / "tree/loop").fn_str());                  // a loop back up
    symlink((dir / "outside").fn_str(), (dir / "tree/dirlink").fn_str()); // a folder link
    symlink((dir / "outside/target.txt").fn_str(), (dir / "tree/filelink").fn_str());
    symlink((dir / "nowhere").fn_str(), (dir / "tree/dangling").fn_str());
    mkfifo((dir / "tree/pipe").fn_str(), 0600);

    // Not valid UTF-8: must still address the very file.
    const std::string oddName = std::string((dir / "tree").fn_str()) + "/odd\xff\xfe.bin";
    Shell("printf odd > '" + oddName + "'");

    const std::vector<wxString> files = GetAllFiles(dir / "tree", AllFilesFilter(), true);
    const std::vector<wxString> names = Relative(files, dir / "tree");
    EXPECT_NE(std::find(names.begin(), names.end(), "file.txt"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "filelink"), names.end());
    for (const wxString& n : names)
    {
        EXPECT_FALSE(n.StartsWith("loop")) << n.utf8_string();
        EXPECT_FALSE(n.StartsWith("dirlink")) << n.utf8_string();
        EXPECT_NE(n, "pipe");
        EXPECT_NE(n, "dangling");
    }
    for (const wxString& f : files)
    {
        // Every listed path hashes to what coreutils finds at that path.
        EXPECT_FALSE(KcvIsHashError(KcvCalcHashFromFile(f, HASH_MD5, true))) << f.utf8_string();
    }
    // The name that is not UTF-8 is listed and converts back to the exact bytes.
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(std::any_of(files.begin(), files.end(),
                            [&](const wxString& f) { return std::string(f.fn_str()) == oddName; }));
}

TEST(Files, RelativePaths)
{
    EXPECT_EQ(FilenameAbsoluteToRelative("/data/src/a/b/c.txt", "/data/src"), "a/b/c.txt");
    EXPECT_EQ(FilenameAbsoluteToRelative("/data/src/a/b/c.txt", "/data/src/"), "a/b/c.txt");
    EXPECT_EQ(FilenameAbsoluteToRelative("/data/src/c.txt", "/data/src"), "c.txt");
    EXPECT_EQ(FilenameAbsoluteToRelative("/c.txt", "/"), "c.txt");
    EXPECT_EQ(FilenameAbsoluteToRelative("", "/data/src"), "");
    // A folder whose name merely begins like the base is not inside it.
    EXPECT_EQ(FilenameAbsoluteToRelative("/data/src2/c.txt", "/data/src"), "../src2/c.txt");
}

TEST(Files, CreateDirAndDesktop)
{
    TempDir dir;
    const wxString deep = dir / "one/two/three";
    EXPECT_TRUE(CreateDirIfNotExists(deep));
    EXPECT_TRUE(wxDirExists(deep));
    EXPECT_TRUE(CreateDirIfNotExists(deep));
    const wxString file = dir.WriteFile("plain", "x");
    EXPECT_FALSE(CreateDirIfNotExists(file + "/below"));

    const wxString desktop = GetUserDesktopPath();
    EXPECT_FALSE(desktop.EndsWith("/"));
    EXPECT_TRUE(desktop.StartsWith(TestHome())) << desktop.utf8_string();
}

TEST(DateTime, NowAndIsoRoundTrip)
{
    const wxString now = DateTimeNowAsString();
    ASSERT_EQ(now.length(), 14u);
    EXPECT_TRUE(now.IsNumber());
    EXPECT_EQ(now.Left(4), wxString::Format("%d", wxDateTime::Now().GetYear()));

    const wxDateTime when(11, wxDateTime::Dec, 2019, 14, 30, 5);
    EXPECT_EQ(DateTimeToString(when), "2019-12-11T14:30:05");
    EXPECT_EQ(StringToDateTime("2019-12-11T14:30:05"), when);
    EXPECT_EQ(DateTimeToString(StringToDateTime(DateTimeToString(when))), DateTimeToString(when));

    EXPECT_EQ(DateTimeToString(wxDateTime()), "");
    for (const char* bad : {"", "yesterday", "2019-13-01T00:00:00", "2019-12-11T14:30:05junk", "2019-12-11"})
        EXPECT_FALSE(StringToDateTime(bad).IsValid()) << bad;
}

TEST(Serializer, FromStringAcceptsNumbersAndQuotesBadText)
{
    EXPECT_EQ(FromString<int>("42"), 42);
    EXPECT_EQ(FromString<int>(" -7 "), -7);
    EXPECT_DOUBLE_EQ(FromString<double>("29.97"), 29.97);
    EXPECT_DOUBLE_EQ(FromString<double>("30"), 30.0);
    for (const char* bad : {"", "abc", "12abc", "1.5", "99999999999", "0x10"})
    {
        try
        {
            FromString<int>(bad);
            ADD_FAILURE() << "accepted " << bad;
        }
        catch (const KorException& e)
        {
            EXPECT_NE(e.GetMessage().Find(wxString("\"") + bad + "\""), wxNOT_FOUND) << e.GetMessage().utf8_string();
        }
    }
    for (const char* bad : {"", "fast", "1,5", "nan", "inf", "3.0x"})
        EXPECT_THROW(FromString<double>(bad), KorException) << bad;

    const wxArrayString array = Serializer::VecStringToWxArrayString({"b", "a", "c"});
    ASSERT_EQ(array.size(), 3u);
    EXPECT_EQ(array[0], "b");
    EXPECT_EQ(array[2], "c");
}

namespace
{
class Record : public JsonObject
{
public:
    Record() : JsonObject("record") {}
    wxJSONValue WriteToJson() const override
    {
        wxJSONValue v = wxJSONValue::object();
        v["title"] = ToJson(title);
        v["items"] = ToJson(items);
        return v;
    }
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
    const wxString path = out.GetFilePath();
    EXPECT_TRUE(path.StartsWith(TestHome() + "/.config/korgui/")) << path.utf8_string();
    EXPECT_TRUE(wxFileExists(path));

    Record in;
    ASSERT_TRUE(in.Read());
    EXPECT_EQ(in.title, out.title);
    EXPECT_EQ(in.items, out.items);

    // A damaged record is refused and leaves the object as it was.
    Shell("printf '{\"title\": ' > " + ShellQuote(path));
    Record damaged;
    damaged.title = "kept";
    EXPECT_FALSE(damaged.Read());
    EXPECT_EQ(damaged.title, "kept");

    TempDir elsewhere;
    EXPECT_TRUE(out.Write(elsewhere.Path()));
    EXPECT_TRUE(wxFileExists(elsewhere / "record.json"));
    EXPECT_FALSE(out.Write("/proc/no-such-place"));
}

TEST(Json, TextForms)
{
    const wxJSONValue array = ToJson(std::vector<wxString>{"one", "two words", "\"q\""});
    EXPECT_EQ(JsonToText(array, JSON_COMPACT), R"(["one","two words","\"q\""])");
    wxJSONValue back;
    ASSERT_TRUE(TextToJson(JsonToText(array, JSON_INDENTED), back));
    EXPECT_EQ(back, array);
    EXPECT_FALSE(TextToJson("[\"unterminated", back));
    EXPECT_TRUE(back.is_null());
    EXPECT_EQ(FromJson<wxString>(wxJSONValue()), "");
    EXPECT_EQ(FromJson<wxString>(wxJSONValue(5)), "");
}

TEST(Formats, DefaultIsWritableMp4)
{
    FormatProvider& formats = Singleton<FormatProvider>::Instance();
    const std::vector<wxString> names = formats.GetFormatNames(FormatProvider::MEDIA_VIDEO, true, true);
    ASSERT_FALSE(names.empty());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    const FileFormat def = formats.GetDefaultFormatWrite(FormatProvider::MEDIA_VIDEO);
    EXPECT_EQ(def.GetExtension(), "mp4");
    EXPECT_NE(std::find(names.begin(), names.end(), def.GetName()), names.end());
    EXPECT_EQ(formats.GetFormatFromName(def.GetName()).GetCodecId(), def.GetCodecId());
    EXPECT_FALSE(formats.GetFormatFromName("no such format").IsValid());
    EXPECT_TRUE(formats.GetDefaultVideoFullPath().EndsWith(".mp4"));
}
