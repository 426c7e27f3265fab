<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>HtmlEditControl</name>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copy link address</source>
        <translation>Linkadresse kopieren</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>A script of this page stopped responding, so the reader stopped it. The page is shown again, without its scripts if it happens again.</source>
        <translation>Ein Skript dieser Seite hat nicht mehr reagiert, deshalb hat der Leser es angehalten. Die Seite wird neu angezeigt; geschieht es noch einmal, ohne ihre Skripte.</translation>
    </message>
</context>
<context>
    <name>PrintAllJob</name>
    <message>
        <source>These pages could not be printed: they did not finish in time: %1.</source>
        <translation>Diese Seiten konnten nicht gedruckt werden, weil sie nicht rechtzeitig fertig wurden: %1.</translation>
    </message>
</context>
<context>
    <name>QWebEnginePage</name>
    <message>
        <source>Are you sure you want to leave this page? Changes that you made may not be saved.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>platform::Printer</name>
    <message>
        <source>No printer is installed, so nothing can be printed.

Install a printer, then print again.</source>
        <translation>Es ist kein Drucker eingerichtet, deshalb kann nichts gedruckt werden.

Richten Sie einen Drucker ein und drucken Sie dann noch einmal.</translation>
    </message>
</context>
<context>
    <name>reader::BookSearchBar</name>
    <message>
        <source>Match case</source>
        <translation>Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Whole book</source>
        <translation>Ganzes Buch</translation>
    </message>
    <message>
        <source>Find in the whole book</source>
        <translation>Im ganzen Buch suchen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Not found in the book</source>
        <translation>Im Buch nicht gefunden</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) hold it</source>
        <translation>
            <numerusform>%n Seite enthält es</numerusform>
            <numerusform>%n Seiten enthalten es</numerusform>
        </translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation>(ohne Namen)</translation>
    </message>
    <message>
        <source>Pages that hold the text</source>
        <translation>Seiten, die den Text enthalten</translation>
    </message>
    <message>
        <source>Close the side panel</source>
        <translation>Seitenleiste schließen</translation>
    </message>
    <message>
        <source>page %1 · </source>
        <translation>Seite %1 · </translation>
    </message>
    <message numerus="yes">
        <source> · %n time(s)</source>
        <translation>
            <numerusform> · %n-mal</numerusform>
            <numerusform> · %n-mal</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) with it in the title</source>
        <translation>
            <numerusform>%n Seite mit dem Text im Titel</numerusform>
            <numerusform>%n Seiten mit dem Text im Titel</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) with it in the text</source>
        <translation>
            <numerusform>%n Seite mit dem Text im Inhalt</numerusform>
            <numerusform>%n Seiten mit dem Text im Inhalt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>reader::ContentsView</name>
    <message>
        <source>Filter by title or name</source>
        <translation>Nach Titel oder Name filtern</translation>
    </message>
    <message>
        <source>Filter the contents</source>
        <translation>Inhaltsverzeichnis filtern</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Pages whose title or name holds the words</source>
        <translation>Seiten, deren Titel oder Name die Wörter enthält</translation>
    </message>
    <message>
        <source>Reading the titles of the pages…</source>
        <translation>Die Titel der Seiten werden gelesen …</translation>
    </message>
</context>
<context>
    <name>reader::Form1</name>
    <message>
        <source>The page could not be printed: it did not finish in time.</source>
        <translation>Die Seite konnte nicht gedruckt werden: Sie wurde nicht rechtzeitig fertig.</translation>
    </message>
</context>
<context>
    <name>reader::GoToPageField</name>
    <message>
        <source>Go to page</source>
        <translation>Gehe zu Seite</translation>
    </message>
    <message>
        <source>Go to page: a number, or the beginning of a title or name</source>
        <translation>Gehe zu Seite: eine Nummer oder der Anfang eines Titels oder Namens</translation>
    </message>
    <message>
        <source>Pages proposed</source>
        <translation>Vorgeschlagene Seiten</translation>
    </message>
    <message>
        <source>%1   —   page %2</source>
        <translation>%1   —   Seite %2</translation>
    </message>
</context>
<context>
    <name>reader::PrintProgress</name>
    <message>
        <source>Printing page %1 of %2
%3</source>
        <translation>Seite %1 von %2 wird gedruckt
%3</translation>
    </message>
</context>
<context>
    <name>reader::ReaderActions</name>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorige Seite</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>Erste Seite</translation>
    </message>
    <message>
        <source>Print the page…</source>
        <translation>Seite drucken …</translation>
    </message>
    <message>
        <source>Print all pages</source>
        <translation>Alle Seiten drucken</translation>
    </message>
    <message>
        <source>Find in the page</source>
        <translation>Auf der Seite suchen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vor</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Find in the whole book…</source>
        <translation>Im ganzen Buch suchen …</translation>
    </message>
    <message>
        <source>Find in the whole book</source>
        <translation>Im ganzen Buch suchen</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Vollbild verlassen</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Go to page…</source>
        <translation>Gehe zu Seite …</translation>
    </message>
    <message>
        <source>Continue where you left off</source>
        <translation>Dort weiterlesen, wo Sie aufgehört haben</translation>
    </message>
</context>
<context>
    <name>reader::ReadingAids</name>
    <message>
        <source>There is no page %1: the book has pages 1 to %2</source>
        <translation>Es gibt keine Seite %1: das Buch hat die Seiten 1 bis %2</translation>
    </message>
    <message>
        <source>Finding the way</source>
        <translation>Sich zurechtfinden</translation>
    </message>
    <message>
        <source>Continue at page %1</source>
        <translation>Weiter auf Seite %1</translation>
    </message>
</context>
<context>
    <name>reader::ReadingSession</name>
    <message>
        <source>No program on this computer opens the file %1</source>
        <translation>Kein Programm auf diesem Computer öffnet die Datei %1</translation>
    </message>
    <message>
        <source>The file %1 is neither shown by the reader nor one it hands to another program</source>
        <translation>Die Datei %1 zeigt der Leser nicht an, und er gibt sie auch keinem anderen Programm</translation>
    </message>
    <message>
        <source>No program on this computer opens the link %1</source>
        <translation>Kein Programm auf diesem Computer öffnet den Link %1</translation>
    </message>
</context>
<context>
    <name>reader::SidePanel</name>
    <message>
        <source>Side panel</source>
        <translation>Seitenleiste</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Find in the book</source>
        <translation>Im Buch suchen</translation>
    </message>
</context>
<context>
    <name>reader::StatusBand</name>
    <message>
        <source>page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>Where you are in the book</source>
        <translation>Wo Sie im Buch sind</translation>
    </message>
    <message>
        <source>Continue at page %1 — %2 (F8, or click here)</source>
        <translation>Weiter auf Seite %1 — %2 (F8, oder hier klicken)</translation>
    </message>
</context>
<context>
    <name>triedit::FindDialog</name>
    <message>
        <source>Find in the page</source>
        <translation>Auf der Seite suchen</translation>
    </message>
    <message>
        <source>Match case</source>
        <translation>Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Whole book</source>
        <translation>Ganzes Buch</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Vorheriges</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Nächstes</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Nicht gefunden</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
</TS>
