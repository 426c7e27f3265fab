<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>HtmlEditControl</name>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy link address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A script of this page stopped responding, so the reader stopped it. The page is shown again, without its scripts if it happens again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PrintAllJob</name>
    <message>
        <source>These pages could not be printed: they did not finish in time: %1.</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::BookSearchBar</name>
    <message>
        <source>Match case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Whole book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in the whole book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not found in the book</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) hold it</source>
        <translation>
            <numerusform>%n page holds it</numerusform>
            <numerusform>%n pages hold it</numerusform>
        </translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pages that hold the text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the side panel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>page %1 · </source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source> · %n time(s)</source>
        <translation>
            <numerusform> · %n time</numerusform>
            <numerusform> · %n times</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) with it in the title</source>
        <translation>
            <numerusform>%n page with it in the title</numerusform>
            <numerusform>%n pages with it in the title</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) with it in the text</source>
        <translation>
            <numerusform>%n page with it in the text</numerusform>
            <numerusform>%n pages with it in the text</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>reader::ContentsView</name>
    <message>
        <source>Filter by title or name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter the contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pages whose title or name holds the words</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the titles of the pages…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::Form1</name>
    <message>
        <source>The page could not be printed: it did not finish in time.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::GoToPageField</name>
    <message>
        <source>Go to page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go to page: a number, or the beginning of a title or name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pages proposed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1   —   page %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::PrintProgress</name>
    <message>
        <source>Printing page %1 of %2
%3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::ReaderActions</name>
    <message>
        <source>Next page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print the page…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print all pages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in the page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in the whole book…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in the whole book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go to page…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue where you left off</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::ReadingAids</name>
    <message>
        <source>There is no page %1: the book has pages 1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finding the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue at page %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::ReadingSession</name>
    <message>
        <source>No program on this computer opens the file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %1 is neither shown by the reader nor one it hands to another program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No program on this computer opens the link %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::SidePanel</name>
    <message>
        <source>Side panel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in the book</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>reader::StatusBand</name>
    <message>
        <source>page %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where you are in the book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue at page %1 — %2 (F8, or click here)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>triedit::FindDialog</name>
    <message>
        <source>Find in the page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Whole book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
