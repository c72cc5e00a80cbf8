#include "output/ZipUnpack.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "output/TZipMaster.h"
#include "output/ZipEntryList.h"
#include "table/Cp1252.h"
#include "table/ExclusiveLink.h"
#include "table/ScopeExit.h"
#include "table/UniqueFd.h"

namespace cinevaro::output {

using catalogue::Outcome;
using table::cp;

namespace {

// Whether stored entry `index` is a link or another special file (Unix attributes).
bool isSpecialFile(zip_t* za, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zl().file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0 || opsys != ZIP_OPSYS_UNIX)
        return false;
    const auto kind = (attributes >> 16) & S_IFMT;
    return kind != 0 && kind != S_IFREG;
}

// The entry's bytes into `fd`: never more than its announced size; `step` is called once per
// kProgressStepBytes and cancels by returning false.
Outcome copyEntryBytes(zip_t* za, const ExtractEntry& entry, int fd, const std::string& target, std::string& buffer,
                       const std::function<bool()>& step)
{
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> zf(zl().fopen_index(za, entry.index, 0), zl().fclose);
    if (!zf)
        return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : ") +
                                zipErrorText(zl().error_code_zip(zl().get_error(za))));
    std::uint64_t done = 0;
    for (;;) {
        const zip_int64_t n = zl().fread(zf.get(), buffer.data(), buffer.size());
        if (n < 0)
            return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : archive endommagée"));
        if (n == 0)
            return Outcome::success();
        const std::uint64_t before = done / TZipMaster::kProgressStepBytes;
        done += static_cast<std::uint64_t>(n);
        if (done > entry.size)
            return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : taille annoncée inexacte"));
        if (table::writeAll(fd, buffer.data(), static_cast<std::size_t>(n)) != 0)
            return Outcome::failure(cp("Impossible d'écrire le fichier ") + target);
        for (std::uint64_t k = before; k < done / TZipMaster::kProgressStepBytes; ++k)
            if (!step())
                return Outcome::failure(cp("Extraction annulée"));
    }
}

} // namespace

catalogue::Result<ZipHandle> openForReading(const std::string& path)
{
    if (!zipLibraryLoaded())
        return Outcome::failure(zipLibraryMissing());
    int error = 0;
    zip_t* za = zl().open(path.c_str(), ZIP_RDONLY, &error);
    if (za)
        return ZipHandle(za);
    std::vector<ZipDirEntry> list;
    if (ZipListError walk = readEntryList(path, list); walk != ZipListError::None)
        return Outcome::failure(numberedReadError(walk));
    return Outcome::failure(cp("Impossible de lire l'archive ") + path + " : " + zipErrorText(error));
}

Outcome planExtract(zip_t* za, const std::string& path, std::vector<ExtractEntry>& plan,
                    std::vector<std::string>& skipped)
{
    const std::string inconsistent = cp("L'archive est incohérente ; rien n'a été extrait : ") + path;
    const zip_int64_t count = zl().get_num_entries(za, 0);
    // The zip library turns a NUL of a stored name into a space: the names are checked as stored.
    std::vector<std::string> storedNames;
    if (!readCentralNames(path, storedNames) || storedNames.size() != static_cast<std::uint64_t>(count))
        return Outcome::failure(inconsistent);
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        const auto index = static_cast<zip_uint64_t>(i);
        if (zl().stat_index(za, index, ZIP_FL_ENC_RAW, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            continue;
        const std::string& stored = storedNames[static_cast<std::size_t>(i)];
        std::string read = stored;
        std::replace(read.begin(), read.end(), '\0', ' ');
        if (read != st.name)
            return Outcome::failure(inconsistent);
        if (holdsControlCharacter(stored)) {
            skipped.push_back(stored);
            continue;
        }
        if (stored.empty() || stored.back() == '/' || stored.back() == '\\')
            continue; // a folder
        std::string name = lastComponent(stored);
        if (isSpecialFile(za, index) || name.empty() || name == "." || name == "..") {
            skipped.push_back(stored);
            continue;
        }
        total += st.size;
        if (st.size > TZipMaster::kMaxExtractBytes || total > TZipMaster::kMaxExtractBytes)
            return Outcome::failure(cp("L'archive dépasse 256 Mo une fois décompressée ; rien n'a été extrait : ") +
                                    path);
        plan.push_back({index, std::move(name), st.size, (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0});
    }
    return Outcome::success();
}

TargetAction decideTarget(const std::string& target, time_t mtime, unsigned options)
{
    struct stat existing
    {
    };
    if (::lstat(target.c_str(), &existing) != 0)
        return (options & ExtrFreshen) && !(options & ExtrUpdate) ? TargetAction::Keep : TargetAction::Create;
    if (S_ISLNK(existing.st_mode) || S_ISDIR(existing.st_mode))
        return TargetAction::Keep;
    if ((options & ExtrOverWrite) || ((options & (ExtrFreshen | ExtrUpdate)) && existing.st_mtime < mtime))
        return TargetAction::Replace;
    return TargetAction::Keep; // existing files are kept
}

Outcome unpackEntry(zip_t* za, const ExtractEntry& entry, const std::string& base, const std::string& target,
                    TargetAction action, std::string& buffer, const std::function<bool()>& step, bool& created)
{
    created = false;
    std::string temp = base + ".cinevaro-XXXXXX";
    table::UniqueFd fd(::mkstemp(temp.data()));
    if (!fd)
        return Outcome::failure(cp("Impossible de créer le fichier ") + target);
    table::ScopeExit removeTemp([&] { removeQuietly(temp); });
    if (Outcome copied = copyEntryBytes(za, entry, fd.get(), target, buffer, step); !copied)
        return copied;
    if (entry.mtime) {
        timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
        ::futimens(fd.get(), times);
    }
    ::fchmod(fd.get(), 0644);
    if (!fd.close())
        return Outcome::failure(cp("Impossible d'écrire le fichier ") + target);
    if (action == TargetAction::Replace) {
        if (::rename(temp.c_str(), target.c_str()) != 0)
            return Outcome::failure(cp("Impossible de créer le fichier ") + target);
        removeTemp.dismiss();
        return Outcome::success();
    }
    const int linked = table::linkExclusive(temp, target);
    if (linked != 0 && linked != EEXIST)
        return Outcome::failure(cp("Impossible de créer le fichier ") + target);
    created = linked == 0;
    return Outcome::success();
}

} // namespace cinevaro::output
