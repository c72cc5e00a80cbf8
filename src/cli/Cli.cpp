#include "cli/Cli.h"

#include <functional>
#include <map>
#include <ostream>

#include "catalogue/Version.h"
#include "cli/Commands.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

using Handler = std::function<int(const Args&, std::ostream&, std::ostream&)>;

struct Command
{
    Handler handler;
    const char* usage;
    const char* summary; // what the command does, one sentence (UTF-8)
};

// Every command, with its one-line usage and what it does.
const std::map<std::string, Command>& commands()
{
    static const std::map<std::string, Command> table = {
        {"new", {cmdNew, "new FILE.cvo [--force]", "Crée une base vide avec les supports DivX, DVD et VHS."}},
        {"open",
         {cmdOpen, "open FILE.cvo", "Ouvre une base, la complète, la normalise, la trie par titre et l'enregistre."}},
        {"list",
         {cmdList, "list FILE.cvo [--tree]",
          "Liste les films (ligne, support, titre), ou l'arbre des supports avec --tree."}},
        {"show", {cmdShow, "show FILE.cvo ROW", "Affiche tous les champs d'une ligne de la base."}},
        {"add",
         {cmdAdd, "add FILE.cvo --support NAME [--film F.film|F.txt] [--set FIELD=VALUE]... [--cover IMG.jpg]",
          "Ajoute une fiche, comme l'ajout manuel de la fenêtre d'édition."}},
        {"set", {cmdSet, "set FILE.cvo ROW FIELD=VALUE...", "Modifie des champs d'une fiche et enregistre la base."}},
        {"delete",
         {cmdDelete, "delete FILE.cvo ROW",
          "Supprime une fiche, et sa jaquette quand aucune autre fiche ne l'utilise."}},
        {"export-film",
         {cmdExportFilm, "export-film FILE.cvo ROW OUT",
          "Exporte une fiche en fichier .film ou .txt avec sa jaquette."}},
        {"supports",
         {cmdSupports, "supports FILE.cvo [--set \"A;B;C\"]", "Affiche ou remplace la liste des supports de la base."}},
        {"web-search",
         {cmdWebSearch,
          "web-search --root URL [--by titre|acteur|real] [--match 0|1|2] [--proxy HOST:PORT] [--delai SECONDES] "
          "TEXT",
          "Cherche des films sur le site de fiches et liste les résultats."}},
        {"web-import",
         {cmdWebImport,
          "web-import FILE.cvo --root URL [--by titre|acteur|real] [--match 0|1|2] [--proxy HOST:PORT] "
          "[--delai SECONDES] TEXT --pick N=SUPPORT [--pick N=SUPPORT]... [--duplicates oui|non]",
          "Cherche des films sur le site de fiches et ajoute à la base ceux choisis, avec leur support."}},
        {"filter",
         {cmdFilter, "filter FILE.cvo --by real|date|ori|genre|distrib|support|pret|acteur VALUE",
          "Liste les films qui ont cette valeur, comme les filtres de la fenêtre principale."}},
        {"search",
         {cmdSearch, "search FILE.cvo --by titre|real|acteur TEXT",
          "Liste les films que la fenêtre de recherche garde pour ce texte (titre, réalisateur ou acteur)."}},
        {"avi-info", {cmdAviInfo, "avi-info FILE.avi", "Affiche les informations techniques d'un fichier vidéo AVI."}},
        {"media-info",
         {cmdMediaInfo, "media-info FILE",
          "Affiche les informations techniques de tout fichier vidéo (MKV, MP4, MOV, M2TS, WebM, AVI...)."}},
        {"borrowers",
         {cmdBorrowers, "borrowers FILE.cvo [--set \"A;B\"]", "Affiche ou remplace la liste des emprunteurs."}},
        {"lend", {cmdLend, "lend FILE.cvo ROW NAME [--date TEXT]", "Prête un film à un emprunteur de la liste."}},
        {"return", {cmdReturn, "return FILE.cvo ROW", "Marque un film prêté comme rendu."}},
        {"html",
         {cmdHtml,
          "html FILE.cvo OUT.htm [--width W] [--align Centre|Droite|Gauche] [--border B] [--no-lines] "
          "[--columns C1,C2,...] [--rows R1,R2,...]",
          "Écrit la page HTML de l'export, avec les films choisis dans l'ordre de la base."}},
        {"pdf", {cmdPdf, "pdf FILE.cvo OUT.pdf", "Écrit les pages imprimées de la base dans un fichier PDF."}},
        {"archive",
         {cmdArchive, "archive FILE.cvo OUT.zip", "Archive la base et son dossier de jaquettes dans un fichier zip."}},
        {"versions",
         {cmdVersions, "versions FILE.cvo",
          "Liste les versions conservées de la base (numéro, date, opération, nombre de films)."}},
        {"restore",
         {cmdRestore, "restore FILE.cvo N",
          "Restaure la version N ; l'état actuel est d'abord conservé comme une version."}},
        {"undo", {cmdUndo, "undo FILE.cvo", "Annule la dernière modification de la base, jaquettes comprises."}},
        {"redo", {cmdRedo, "redo FILE.cvo", "Rétablit la dernière modification annulée."}},
    };
    return table;
}

constexpr const char* kHelpUsage = "help [COMMAND]";

void printUsage(std::ostream& stream)
{
    stream << "usage: cinevaro-cli COMMAND ...\n";
    for (const auto& [name, command] : commands())
        stream << "  cinevaro-cli " << command.usage << "\n";
    stream << "  cinevaro-cli " << kHelpUsage << "\n";
    stream << "  cinevaro-cli --help | -h | --version\n";
}

// "help" alone prints every usage; "help COMMAND" that command's usage and what it does.
int help(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        printUsage(out);
        return 0;
    }
    if (args.size() > 1)
        return usage(kHelpUsage, err);
    auto it = commands().find(args[0]);
    if (it == commands().end()) {
        err << "cinevaro-cli: unknown command '" << args[0] << "'\n";
        printUsage(err);
        return 2;
    }
    out << "usage: cinevaro-cli " << it->second.usage << "\n" << it->second.summary << "\n";
    return 0;
}

} // namespace

int run(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        printUsage(err);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return help(Args(args.begin() + 1, args.end()), out, err);
    if (args[0] == "--version") {
        if (args.size() > 1)
            return usage("--version", err);
        out << "cinevaro-cli " << catalogue::versionText() << "\n";
        return 0;
    }
    auto it = commands().find(args[0]);
    if (it == commands().end()) {
        err << "cinevaro-cli: unknown command '" << args[0] << "'\n";
        printUsage(err);
        return 2;
    }
    return it->second.handler(Args(args.begin() + 1, args.end()), out, err);
}

int fail(const catalogue::Outcome& outcome, std::ostream& err)
{
    err << table::cp1252ToUtf8(outcome.message) << "\n";
    return 1;
}

int usage(const std::string& text, std::ostream& err)
{
    err << "usage: cinevaro-cli " << text << "\n";
    return 2;
}

bool isOption(const std::string& word)
{
    return word.rfind("--", 0) == 0;
}

int usageOf(const std::string& command, std::ostream& err)
{
    return usage(commands().at(command).usage, err);
}

std::optional<std::string> argToCp(const std::string& utf8, std::ostream& err)
{
    std::string bad;
    auto bytes = table::utf8ToCp1252(utf8, &bad);
    if (!bytes)
        err << table::cp1252ToUtf8(table::unsupportedCharacterMessage(bad)) << "\n";
    return bytes;
}

std::optional<int> parseRow(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1)
        return std::nullopt;
    return value;
}

} // namespace cinevaro::cli
