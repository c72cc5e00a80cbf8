// "Extraire du fichier" on files other than AVI: the boxes filled through MediaInfo, the boxes a
// file does not give left as they are, and unreadable files changing nothing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "editing/Languages.h"
#include "editing/MediaInfo.h"
#include "ui/MainWindowFilmsSupport.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/CaptionPanel.h"

using namespace cinevaro;
using TechPanelMedia = cinevaro::testing::MainWindowFilms;

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString sample(const char* name)
{
    return QString::fromStdString(cinevaro::testing::dataFile(std::string("editing/media/") + name));
}

// The twelve boxes, in the order of the catalogue's fields.
QStringList boxes(const ui::TfrmBase& w)
{
    return {w.techPanel()->cmbVideo->currentText(),
            w.techPanel()->cmbAudio->currentText(),
            w.techPanel()->cmbResol->currentText(),
            w.techPanel()->cmbZone->currentText(),
            w.techPanel()->spnVideo->text(),
            w.techPanel()->spnAudio->text(),
            w.techPanel()->spnSize->text(),
            w.techPanel()->cmbFrame->currentText(),
            w.techPanel()->cmbLanguep->currentText(),
            w.techPanel()->cmbLangues->currentText(),
            w.techPanel()->cmbSoustitre->currentText(),
            w.techPanel()->cmbDisk->currentText()};
}

// Texts typed by hand before an extraction, one per box.
void typeBoxes(ui::TfrmBase& w)
{
    w.techPanel()->cmbVideo->setCurrentText(text("VHS"));
    w.techPanel()->cmbAudio->setCurrentText(text("Stereo"));
    w.techPanel()->cmbResol->setCurrentText(text("720 x 576"));
    w.techPanel()->cmbZone->setCurrentText(text("2: Europe, Japon et Afrique du Sud"));
    w.techPanel()->spnVideo->setText(text("999"));
    w.techPanel()->spnAudio->setText(text("64"));
    w.techPanel()->spnSize->setText(text("4400"));
    w.techPanel()->cmbFrame->setCurrentText(text("24"));
    w.techPanel()->cmbLanguep->setCurrentText(text("Danois"));
    w.techPanel()->cmbLangues->setCurrentText(text("Grec"));
    w.techPanel()->cmbSoustitre->setCurrentText(text("Turc"));
    w.techPanel()->cmbDisk->setCurrentText(text("2 Disques"));
}

} // namespace

TEST_F(TechPanelMedia, MkvFillsTenBoxesAndTheDialogOffersVideoFilesFirst)
{
    select(text("Alien"));
    typeBoxes(*window);
    window->techPanel()->Button2->click();
    prompts.answerFile(sample("h264-ac3-aac-srt.mkv"));
    window->techPanel()->Button3->click();
    ASSERT_EQ(prompts.texts(text("open")),
              QStringList{text("Fichiers vidéo (*.mkv *.mp4 *.m4v *.mov *.avi *.m2ts *.mts *.ts *.webm *.ogm *.ogv "
                               "*.mpg *.mpeg *.vob *.wmv *.asf *.flv *.divx);;Fichier AVI (*.avi);;Tous les fichiers "
                               "(*)")});
    EXPECT_TRUE(prompts.texts(text("error")).isEmpty());
    EXPECT_EQ(boxes(*window),
              (QStringList{text("AVC"), text("AC3"), text("320x240"), text("2: Europe, Japon et Afrique du Sud"),
                           text("200"), text("192"), text("0"), text("25.000"), text("Français"), text("Britannique"),
                           text("Français"), text("2 Disques")}));
    EXPECT_TRUE(state.TechModified);
    window->ADVSupp->setCollapsed(false);
    QApplication::processEvents();
    grab(*window->ADVSupp, QStringLiteral("tech-panel-mkv.png"));
    grab(*window, QStringLiteral("main-window-tech-mkv.png"));

    window->techPanel()->btnEnregistreInfo->click();
    const table::TMlb2 saved = reread();
    const auto& t = saved;
    EXPECT_EQ(t.GetCell(t.FieldIndex("FORMATVIDEO"), row(text("Alien"))), "AVC");
    EXPECT_EQ(table::cp1252ToUtf8(t.GetCell(t.FieldIndex("LANGUEP"), row(text("Alien")))), "Français");
    EXPECT_EQ(t.GetCell(t.FieldIndex("SOUSTITRE"), row(text("Alien"))), table::cp("Français"));
}

TEST_F(TechPanelMedia, BoxesTheFileDoesNotGiveKeepTheirText)
{
    select(text("Casino"));
    typeBoxes(*window);
    prompts.answerFile(sample("vp9-opus.webm"));
    window->techPanel()->Button3->click();
    EXPECT_TRUE(prompts.texts(text("error")).isEmpty());
    // No bit rate in the WebM file, one audio track, no subtitles.
    EXPECT_EQ(boxes(*window),
              (QStringList{text("VP9"), text("Opus"), text("426x240"), text("2: Europe, Japon et Afrique du Sud"),
                           text("999"), text("64"), text("0"), text("30.000"), text("Espagnol"), text("Grec"),
                           text("Turc"), text("2 Disques")}));
    window->techPanel()->Button2->click();
}

TEST_F(TechPanelMedia, Mp4MovM2tsAndTruncatedMkvFillWhatTheyGive)
{
    select(text("Alien"));
    const struct
    {
        const char* file;
        QStringList boxes;
    } cases[] = {
        {"hevc-aac.mp4",
         {text("HEVC"), text("AAC"), text("640x360"), text("2: Europe, Japon et Afrique du Sud"), text("90"),
          text("123"), text("0"), text("23.976"), text("Japonais"), text("Grec"), text("Turc"), text("2 Disques")}},
        {"mpeg4-mp3.mov",
         {text("MPEG4"), text("MP3"), text("720x576"), text("2: Europe, Japon et Afrique du Sud"), text("1024"),
          text("128"), text("0"), text("25.000"), text("Italien"), text("Grec"), text("Turc"), text("2 Disques")}},
        {"mpeg2-mp2.m2ts",
         {text("MPEG2"), text("MPEG1"), text("720x576"), text("2: Europe, Japon et Afrique du Sud"), text("999"),
          text("128"), text("0"), text("25.000"), text("Allemand"), text("Grec"), text("Turc"), text("2 Disques")}},
        // Cut after its track headers: no bit rate.
        {"tronque.mkv",
         {text("AVC"), text("AC3"), text("320x240"), text("2: Europe, Japon et Afrique du Sud"), text("999"),
          text("64"), text("0"), text("25.000"), text("Français"), text("Britannique"), text("Français"),
          text("2 Disques")}},
    };
    for (const auto& c : cases) {
        typeBoxes(*window);
        prompts.answerFile(sample(c.file));
        window->techPanel()->Button3->click();
        EXPECT_EQ(boxes(*window), c.boxes) << c.file;
    }
    EXPECT_TRUE(prompts.texts(text("error")).isEmpty());
    window->techPanel()->Button2->click();
}

TEST_F(TechPanelMedia, UnreadableFilesShowAMessageAndChangeNoBox)
{
    select(text("Alien"));
    typeBoxes(*window);
    window->techPanel()->Button2->click();
    const QStringList before = boxes(*window);
    const struct
    {
        const char* file;
        const char* message;
    } cases[] = {
        {"sans-video.mka", "Le fichier ne contient aucune piste vidéo"},
        {"tronque-entete.mkv", "Le fichier est incomplet ou endommagé : aucune piste n'a pu être lue"},
        {"texte.mkv", "Format de fichier non reconnu : les informations techniques ne peuvent pas être lues"},
    };
    for (const auto& c : cases) {
        prompts.answerFile(sample(c.file));
        window->techPanel()->Button3->click();
        EXPECT_EQ(boxes(*window), before) << c.file;
        EXPECT_FALSE(state.TechModified) << c.file;
    }
    QStringList messages;
    for (const auto& c : cases)
        messages << text(c.message) + QLatin1Char('.'); // the error box ends a message with a full stop
    EXPECT_EQ(prompts.texts(text("error")), messages);
}

TEST_F(TechPanelMedia, WithoutTheMediaLibraryAMessageNamesItAndNoBoxChanges)
{
    select(text("Alien"));
    typeBoxes(*window);
    window->techPanel()->Button2->click();
    const QStringList before = boxes(*window);
    editing::useMediaLibrary("libmediainfo-absente.so.0");
    prompts.answerFile(sample("h264-ac3-aac-srt.mkv"));
    window->techPanel()->Button3->click();
    editing::useMediaLibrary(editing::kMediaLibraryFile);
    EXPECT_EQ(boxes(*window), before);
    EXPECT_FALSE(state.TechModified);
    EXPECT_EQ(prompts.texts(text("error")),
              QStringList{text("La bibliothèque MediaInfo (libmediainfo-absente.so.0) n'a pas pu être chargée : seuls "
                               "les fichiers AVI peuvent être lus ; installez le paquet libmediainfo0v5.")});
    // Found again, the same file fills the boxes.
    prompts.answerFile(sample("h264-ac3-aac-srt.mkv"));
    window->techPanel()->Button3->click();
    EXPECT_EQ(window->techPanel()->cmbVideo->currentText(), text("AVC"));
}

TEST_F(TechPanelMedia, NamesGivenByTheReadingAreItemsOfThePanelLists)
{
    for (const char* name :
         {"MPEG1", "MPEG2", "MPEG4", "DivX 3.11", "DivX 4", "DivX 5", "WindowMedia 7", "WindowMedia 8", "Real Vidéo"})
        EXPECT_GE(window->techPanel()->cmbVideo->findText(text(name)), 0) << name;
    EXPECT_EQ(ui::fromCp(editing::videoFormatText("RealVideo 4", "", "")), text("Real Vidéo"));
    for (const char* name : {"AC3", "MP3", "MPEG1", "MPEG2", "WMA"})
        EXPECT_GE(window->techPanel()->cmbAudio->findText(text(name)), 0) << name;
    // The three language boxes offer the shared list, in its order.
    QStringList names;
    for (const std::string& name : editing::languageList())
        names << ui::fromCp(name);
    for (QComboBox* box :
         {window->techPanel()->cmbLanguep, window->techPanel()->cmbLangues, window->techPanel()->cmbSoustitre}) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        EXPECT_EQ(items, names) << box->objectName().toStdString();
    }
}
