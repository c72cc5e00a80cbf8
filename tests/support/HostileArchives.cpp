#include "support/HostileArchives.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "output/TZipMaster.h"
#include "support/TempDir.h"

namespace cinevaro::testing {

namespace {

void put32At(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

void serveHostileArchive(FakeFilmService& service, const FakeFilm& film, const std::string& link,
                         const std::string& archive)
{
    std::string page = FakeFilmService::filmPage(film);
    const std::string usual = FakeFilmService::archivePath(film);
    page.replace(page.find(usual), usual.size(), link);
    service.setOverride(FakeFilmService::filmPath(film), FakeResponse::html(page));
    auto bytes = std::make_shared<const std::string>(archive);
    service.setHandler([bytes](const FakeRequest& request) -> std::optional<FakeResponse> {
        if (request.path.rfind("/getzip.html/", 0) != 0)
            return std::nullopt;
        FakeResponse reply;
        reply.headers.emplace_back("Content-Type", "application/zip");
        reply.body = *bytes;
        return reply;
    });
}

std::string zeroBombArchive(const std::string& name, std::uint64_t size, const std::string& workFolder, int level)
{
    const std::string source = workFolder + "/" + name;
    const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0 || ::close(fd) != 0)
        throw std::runtime_error("sparse file");
    const std::string zipPath = workFolder + "/bomb.zip";
    output::TZipMaster zip;
    if (!zip.setZipFilename(zipPath))
        throw std::runtime_error("bomb archive name");
    zip.FSpecArgs = {source};
    zip.AddCompLevel = level;
    auto added = zip.Add();
    ::unlink(source.c_str());
    if (!added)
        throw std::runtime_error("bomb archive: " + added.message);
    std::string bytes = readFile(zipPath);
    ::unlink(zipPath.c_str());
    return bytes;
}

std::string withClaimedSize(std::string archive, std::uint32_t claimed)
{
    for (std::size_t at = archive.find("PK\x03\x04"); at != std::string::npos && at + 26 <= archive.size();
         at = archive.find("PK\x03\x04", at + 4))
        put32At(archive, at + 22, claimed);
    for (std::size_t at = archive.find("PK\x01\x02"); at != std::string::npos && at + 28 <= archive.size();
         at = archive.find("PK\x01\x02", at + 4))
        put32At(archive, at + 24, claimed);
    return archive;
}

} // namespace cinevaro::testing
