#include "editing/Languages.h"

#include "table/Cp1252.h"

namespace cinevaro::editing {

const std::vector<std::string>& languageList()
{
    static const std::vector<std::string> list = {
        table::cp("Albanais"),   table::cp("Algérien"),      table::cp("Allemand"),     table::cp("Américain"),
        table::cp("Argentin"),   table::cp("Arménien"),      table::cp("Australien"),   table::cp("Autrichien"),
        table::cp("Belge"),      table::cp("Benin"),         table::cp("Botswanais"),   table::cp("Bouthan"),
        table::cp("Brésilien"),  table::cp("Britannique"),   table::cp("Bulgare"),      table::cp("Burkinabè"),
        table::cp("Cambodgien"), table::cp("Camerounais"),   table::cp("Canadien"),     table::cp("Chilien"),
        table::cp("Chinois"),    table::cp("Colombien"),     table::cp("Coréen"),       table::cp("Cubain"),
        table::cp("Danois"),     table::cp("Ecossais"),      table::cp("Egyptien"),     table::cp("Espagnol"),
        table::cp("Estonien"),   table::cp("Européen"),      table::cp("Finlandais"),   table::cp("Français"),
        table::cp("Gabonais"),   table::cp("Georgien"),      table::cp("Grec"),         table::cp("Guinéin"),
        table::cp("Haïtien"),    table::cp("Hollandais"),    table::cp("Hong-Kong"),    table::cp("Hongrois"),
        table::cp("Indou"),      table::cp("Iranien"),       table::cp("Irlandais"),    table::cp("Islandais"),
        table::cp("Israélien"),  table::cp("Italien"),       table::cp("Ivoirien"),     table::cp("Jamaïcain"),
        table::cp("Japonais"),   table::cp("Kazakh"),        table::cp("Kirghizstan"),  table::cp("Kurde"),
        table::cp("Lettonien"),  table::cp("Libanais"),      table::cp("Lituanien"),    table::cp("Luxembourgeois"),
        table::cp("Macédonien"), table::cp("Malien"),        table::cp("Maltais"),      table::cp("Marocain"),
        table::cp("Mexicain"),   table::cp("Néo-Zélandais"), table::cp("Norvégien"),    table::cp("Palestinien"),
        table::cp("Péruvien"),   table::cp("Polonais"),      table::cp("Portugais"),    table::cp("Roumain"),
        table::cp("Russe"),      table::cp("Sénégalais"),    table::cp("Serbo-Croate"), table::cp("Singapour"),
        table::cp("Slovaque"),   table::cp("Soviétique"),    table::cp("Sud-Africain"), table::cp("Suédois"),
        table::cp("Suisse"),     table::cp("Tadjik"),        table::cp("Taïwanais"),    table::cp("Tchèque"),
        table::cp("Tunisien"),   table::cp("Turc"),          table::cp("Vénézuélien"),  table::cp("Vietnamien"),
        table::cp("Yougoslave"),
    };
    return list;
}

} // namespace cinevaro::editing
