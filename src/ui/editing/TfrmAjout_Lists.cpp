// The lists offered by the record editor's combo boxes. None is sorted by its control.
#include "ui/editing/TfrmAjout.h"

#include "editing/Languages.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

QStringList TfrmAjout::genreList()
{
    return {QStringLiteral("Action"),
            QStringLiteral("Animation"),
            QStringLiteral("Aventure"),
            QStringLiteral("Biographique"),
            QStringLiteral("Catastrophe"),
            QStringLiteral("Comédie"),
            QStringLiteral("Comédie Dramatique"),
            QStringLiteral("Comédie Musicale"),
            QStringLiteral("Court Métrage"),
            QStringLiteral("Dessin Animé"),
            QStringLiteral("Documentaire"),
            QStringLiteral("Drame"),
            QStringLiteral("Drame Psychologique"),
            QStringLiteral("Epouvante"),
            QStringLiteral("Erotique"),
            QStringLiteral("Erotique X"),
            QStringLiteral("Espionnage"),
            QStringLiteral("Essai"),
            QStringLiteral("Fantastique"),
            QStringLiteral("Grand Spectacle"),
            QStringLiteral("Guerre"),
            QStringLiteral("Historique"),
            QStringLiteral("Horreur"),
            QStringLiteral("Karate"),
            QStringLiteral("Manga"),
            QStringLiteral("Musical"),
            QStringLiteral("Par Parties"),
            QStringLiteral("Péplum"),
            QStringLiteral("Policier"),
            QStringLiteral("Politique"),
            QStringLiteral("Science Fiction"),
            QStringLiteral("Spectacle Comique"),
            QStringLiteral("Téléfilm"),
            QStringLiteral("Théâtre"),
            QStringLiteral("Thriller"),
            QStringLiteral("Western")};
}

QStringList TfrmAjout::originList()
{
    QStringList list;
    for (const std::string& name : editing::languageList())
        list << fromCp(name);
    return list;
}

QStringList TfrmAjout::distributorList()
{
    return {QStringLiteral("N/A"),
            QStringLiteral("20TH CENTURY FOX"),
            QStringLiteral("45 RDLC"),
            QStringLiteral("A REGAL FILMS INTERNATIONAL"),
            QStringLiteral("ACE FILMS"),
            QStringLiteral("AD VITAM"),
            QStringLiteral("ADVENTURE FILMS"),
            QStringLiteral("AGAT FILMS"),
            QStringLiteral("ALBANY"),
            QStringLiteral("ALLIANCE"),
            QStringLiteral("ALPHA FILMS"),
            QStringLiteral("AMLF"),
            QStringLiteral("ARP SÉLECTION"),
            QStringLiteral("ARTEDIS"),
            QStringLiteral("ARTHOUSE"),
            QStringLiteral("ARTIFICIAL EYE"),
            QStringLiteral("ASC DISTRIBUTION"),
            QStringLiteral("ATLANTIC FILM"),
            QStringLiteral("BAC FILMS"),
            QStringLiteral("BEN BARENHOLTZ"),
            QStringLiteral("BODEGA FILMS"),
            QStringLiteral("BUENA VISTA"),
            QStringLiteral("CAPRICCI"),
            QStringLiteral("CARLOTTA FILMS"),
            QStringLiteral("CELLULOID DREAMS"),
            QStringLiteral("CIBY 2000"),
            QStringLiteral("CINÉ CLASSIC"),
            QStringLiteral("CINÉMA PUBLIC FILMS"),
            QStringLiteral("CLASSIC FILMS"),
            QStringLiteral("COLIFILMS"),
            QStringLiteral("COLUMBIA"),
            QStringLiteral("COLUMBIA TRISTAR"),
            QStringLiteral("CONNAISSANCE DU CINÉMA"),
            QStringLiteral("DIAPHANA"),
            QStringLiteral("DIMENSION FILMS"),
            QStringLiteral("DISNEY"),
            QStringLiteral("DREAMWORKS"),
            QStringLiteral("EDITIONS MONTPARNASSE"),
            QStringLiteral("EDKO FILMS"),
            QStringLiteral("EDV"),
            QStringLiteral("EUROPACORP"),
            QStringLiteral("FILMS DU LOSANGE"),
            QStringLiteral("FILMS SANS FRONTIÈRES"),
            QStringLiteral("FOX PATHÉ EUROPA"),
            QStringLiteral("GAUMONT"),
            QStringLiteral("GAUMONT BUENA VISTA"),
            QStringLiteral("GAUMONT COLUMBIA TRISTAR"),
            QStringLiteral("HAUT ET COURT"),
            QStringLiteral("JOUR2FÊTE"),
            QStringLiteral("KARMA FILMS"),
            QStringLiteral("KINOVISTA"),
            QStringLiteral("LA FABRIQUE DE FILMS"),
            QStringLiteral("LES FILMS DU PARADOXE"),
            QStringLiteral("LES FILMS DU PRÉSENT"),
            QStringLiteral("LES GRANDS FILMS CLASSIQUES"),
            QStringLiteral("LIONS GATE"),
            QStringLiteral("LUMIÈRE"),
            QStringLiteral("MAD DISTRIBUTION"),
            QStringLiteral("MANGA VIDEO"),
            QStringLiteral("MARS DISTRIBUTION"),
            QStringLiteral("MEMENTO FILMS"),
            QStringLiteral("METROPOLITAN FILMEXPORT"),
            QStringLiteral("MGM"),
            QStringLiteral("MIRAMAX"),
            QStringLiteral("MK2"),
            QStringLiteral("MONDO FILMS"),
            QStringLiteral("NEW LINE CINEMA"),
            QStringLiteral("OCEAN FILMS"),
            QStringLiteral("OPENING"),
            QStringLiteral("PARAMOUNT"),
            QStringLiteral("PATHÉ"),
            QStringLiteral("PATHÉ DISTRIBUTION"),
            QStringLiteral("POLYGRAM"),
            QStringLiteral("PYRAMIDE"),
            QStringLiteral("REZO FILMS"),
            QStringLiteral("SAMUEL GOLDWYN"),
            QStringLiteral("SHELLAC"),
            QStringLiteral("SND"),
            QStringLiteral("SONY PICTURES"),
            QStringLiteral("STUDIOCANAL"),
            QStringLiteral("TAMASA"),
            QStringLiteral("TF1 VIDÉO"),
            QStringLiteral("TFM DISTRIBUTION"),
            QStringLiteral("TOUCHSTONE"),
            QStringLiteral("TRISTAR"),
            QStringLiteral("UFD"),
            QStringLiteral("UGC"),
            QStringLiteral("UGC FOX DISTRIBUTION"),
            QStringLiteral("UIP"),
            QStringLiteral("UNITED ARTISTS"),
            QStringLiteral("UNIVERSAL"),
            QStringLiteral("UNIVERSAL PICTURES"),
            QStringLiteral("WARNER BROS"),
            QStringLiteral("WARNER HOME VIDEO"),
            QStringLiteral("WB"),
            QStringLiteral("WBC"),
            QStringLiteral("WILD BUNCH"),
            QStringLiteral("WILD SIDE"),
            QStringLiteral("ZIG ZAG STORY"),
            QStringLiteral("ZOOM 24")};
}

QStringList TfrmAjout::yearList()
{
    QStringList years;
    for (int year = 2002; year >= 1901; --year)
        years << QString::number(year);
    return years;
}

} // namespace cinevaro::ui
