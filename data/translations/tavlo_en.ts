<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>HtmlEditControl</name>
    <message>
        <source>Copy</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Copy link address</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Select all</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>A script of this page stopped responding, so the reader stopped it. The page is shown again, without its scripts if it happens again.</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>QWebEnginePage</name>
    <message>
        <source>Are you sure you want to leave this page? Changes that you made may not be saved.</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>platform::Printer</name>
    <message>
        <source>No printer is installed, so nothing can be printed.

Install a printer, then print again.</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>reader::BookSearchBar</name>
    <message>
        <source>Match case</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Whole book</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Find in the whole book</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Pages found</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Not found in the book</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <source>%n page(s) hold it</source>
        <translation><numerusform>%n page holds it</numerusform><numerusform>%n pages hold it</numerusform></translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <source>page %1 · %2 · %n time(s)</source>
        <translation><numerusform>page %1 · %2 · %n time</numerusform><numerusform>page %1 · %2 · %n times</numerusform></translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>reader::Form1</name>
    <message>
        <source>No program on this computer opens the link %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>The page could not be printed: it did not finish in time.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>These pages could not be printed: they did not finish in time: %1.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>page %1 of %2</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>reader::PrintProgress</name>
    <message>
        <source>Printing page %1 of %2
%3</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>triedit::FindDialog</name>
    <message>
        <source>Match case</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Whole book</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Find</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Previous</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Next</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>Not found</source>
        <translation type="unfinished" />
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished" />
    </message>
</context>
</TS>
