<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>QObject</name>
    <message>
        <source>Cancelled after %1 of %2</source>
        <translation>Abgebrochen nach %1 von %2</translation>
    </message>
    <message>
        <source>Stopped by an error</source>
        <translation>Durch einen Fehler angehalten</translation>
    </message>
    <message>
        <source>Completed: %1 of %2 files failed</source>
        <translation>Abgeschlossen: %1 von %2 Dateien fehlgeschlagen</translation>
    </message>
    <message>
        <source>Nothing to do: 1 destination exists</source>
        <translation>Nichts zu tun: 1 Ziel existiert bereits</translation>
    </message>
    <message>
        <source>Nothing to do: %1 destinations exist</source>
        <translation>Nichts zu tun: %1 Ziele existieren bereits</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message>
        <source>stamped %1, printed %2, copied %3, skipped %4, failed %5</source>
        <translation>%1 gestempelt, %2 gedruckt, %3 kopiert, %4 übersprungen, %5 fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>stampwell::TColorListBox</name>
    <message>
        <source>Desktop: %1</source>
        <translation>Desktop: %1</translation>
    </message>
    <message>
        <source>Custom %1</source>
        <translation>Eigene Farbe %1</translation>
    </message>
</context>
<context>
    <name>stampwell::TDocSetFrame</name>
    <message>
        <source>Watermark Settings</source>
        <translation>Wasserzeichen-Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Transparent</source>
        <translation>&amp;Transparent</translation>
    </message>
    <message>
        <source>Oblique</source>
        <translation>Schräg</translation>
    </message>
    <message>
        <source>Si&amp;ze: </source>
        <translation>&amp;Größe: </translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Schrift:</translation>
    </message>
    <message>
        <source>C&amp;olor: </source>
        <translation>&amp;Farbe: </translation>
    </message>
    <message>
        <source>&amp;Style: </source>
        <translation>&amp;Ausrichtung: </translation>
    </message>
    <message>
        <source>in place of %1</source>
        <translation>anstelle von %1</translation>
    </message>
    <message>
        <source>%1 is not installed; %2 is shown and used in its place.</source>
        <translation>%1 ist nicht installiert; %2 wird an seiner Stelle gezeigt und verwendet.</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose any colour</source>
        <translation>Beliebige Farbe wählen</translation>
    </message>
    <message>
        <source>Horizontal</source>
        <translation>Waagerecht</translation>
    </message>
    <message>
        <source>Preview in LibreOffice</source>
        <translation>Vorschau in LibreOffice</translation>
    </message>
    <message>
        <source>Watermark &amp;text:</source>
        <translation>Wasserzeichen&amp;text:</translation>
    </message>
    <message>
        <source>Watermark Colour</source>
        <translation>Farbe des Wasserzeichens</translation>
    </message>
    <message>
        <source>Please enter the watermark text first.</source>
        <translation>Bitte geben Sie zuerst den Text des Wasserzeichens ein.</translation>
    </message>
</context>
<context>
    <name>stampwell::TFolderFrame</name>
    <message>
        <source>Comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Datei hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Source folder/file</source>
        <translation>Quellordner/-datei</translation>
    </message>
    <message>
        <source>Destination folder/file</source>
        <translation>Zielordner/-datei</translation>
    </message>
    <message>
        <source>Drop folders and files here to add them</source>
        <translation>Ordner und Dateien hierher ziehen, um sie hinzuzufügen</translation>
    </message>
    <message>
        <source>Add F&amp;older...</source>
        <translation>&amp;Ordner hinzufügen...</translation>
    </message>
    <message>
        <source>Add F&amp;ile...</source>
        <translation>Date&amp;i hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>%1 (stamped)</source>
        <translation>%1 (gestempelt)</translation>
    </message>
    <message>
        <source>Please select the row to edit first.</source>
        <translation>Bitte wählen Sie zuerst die Zeile aus, die Sie bearbeiten möchten.</translation>
    </message>
    <message>
        <source>Please select the row to remove first.</source>
        <translation>Bitte wählen Sie zuerst die Zeile aus, die Sie entfernen möchten.</translation>
    </message>
</context>
<context>
    <name>stampwell::THistoryFrame</name>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Did not finish</source>
        <translation>Nicht zu Ende geführt</translation>
    </message>
    <message>
        <source>Completed: 1 file failed</source>
        <translation>Abgeschlossen: 1 Datei fehlgeschlagen</translation>
    </message>
    <message>
        <source>Completed: %1 files failed</source>
        <translation>Abgeschlossen: %1 Dateien fehlgeschlagen</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message>
        <source>%1  %2 (stamped %3, printed %4, copied %5, failed %6)</source>
        <translation>%1  %2 (%3 gestempelt, %4 gedruckt, %5 kopiert, %6 fehlgeschlagen)</translation>
    </message>
    <message>
        <source>the file could not be opened (damaged, protected by a password, or not of its kind)</source>
        <translation>die Datei ließ sich nicht öffnen (beschädigt, durch ein Kennwort geschützt oder nicht von ihrem Typ)</translation>
    </message>
    <message>
        <source>the office program reported an error%1</source>
        <translation>das Office-Programm meldete einen Fehler%1</translation>
    </message>
    <message>
        <source>the office program refused%1</source>
        <translation>das Office-Programm lehnte ab%1</translation>
    </message>
    <message>
        <source>Runs, newest first</source>
        <translation>Läufe, neueste zuerst</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialog</name>
    <message>
        <source>Add File</source>
        <translation>Datei hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Source file:</source>
        <translation>&amp;Quelldatei:</translation>
    </message>
    <message>
        <source>&amp;Destination file:</source>
        <translation>&amp;Zieldatei:</translation>
    </message>
    <message>
        <source>Note: when the destination is the source file itself, the watermark is added to the original file.</source>
        <translation>Hinweis: Ist das Ziel die Quelldatei selbst, wird das Wasserzeichen in die Originaldatei eingefügt.</translation>
    </message>
    <message>
        <source>Please enter a source file and a destination file first.</source>
        <translation>Bitte geben Sie zuerst eine Quelldatei und eine Zieldatei an.</translation>
    </message>
    <message>
        <source>The destination is the source itself: please close the file in every office program before the job runs.</source>
        <translation>Das Ziel ist die Quelle selbst: Bitte schließen Sie die Datei in allen Office-Programmen, bevor der Auftrag läuft.</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Source folder:</source>
        <translation>&amp;Quellordner:</translation>
    </message>
    <message>
        <source>&amp;Destination folder:</source>
        <translation>&amp;Zielordner:</translation>
    </message>
    <message>
        <source>Note: when the destination is the source folder itself, the watermark is added to the original files.</source>
        <translation>Hinweis: Ist das Ziel der Quellordner selbst, wird das Wasserzeichen in die Originaldateien eingefügt.</translation>
    </message>
    <message>
        <source>Please enter a source folder and a destination folder first.</source>
        <translation>Bitte geben Sie zuerst einen Quellordner und einen Zielordner an.</translation>
    </message>
    <message>
        <source>The destination is the source itself: please close its files in every office program before the job runs.</source>
        <translation>Das Ziel ist die Quelle selbst: Bitte schließen Sie ihre Dateien in allen Office-Programmen, bevor der Auftrag läuft.</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</source>
        <translation>Word-Dateien (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel-Dateien (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|PowerPoint-Dateien (*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</translation>
    </message>
    <message>
        <source>Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint Files(*.Ppt)|*.Ppt</source>
        <translation>Word-Dateien (*.Doc)|*.Doc|Excel-Dateien (*.Xls)|*.Xls|PowerPoint-Dateien (*.Ppt)|*.Ppt</translation>
    </message>
    <message>
        <source>The destination must be a file of one of the current formats (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) or a .pdf file.</source>
        <translation>Das Ziel muss eine Datei in einem der aktuellen Formate (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) oder eine .pdf-Datei sein.</translation>
    </message>
    <message>
        <source>Only .doc, .xls, .ppt and .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp files can be added; the destination may also be a .pdf file.</source>
        <translation>Nur .doc-, .xls-, .ppt- und .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp-Dateien können hinzugefügt werden; das Ziel darf auch eine .pdf-Datei sein.</translation>
    </message>
    <message>
        <source>Only .doc, .xls and .ppt files can be added; the destination may also be a .pdf file.</source>
        <translation>Nur .doc-, .xls- und .ppt-Dateien können hinzugefügt werden; das Ziel darf auch eine .pdf-Datei sein.</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)|*.pdf</source>
        <translation>PDF-Dateien (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>The destination of a PDF file must be a .pdf file.</source>
        <translation>Das Ziel einer PDF-Datei muss eine .pdf-Datei sein.</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialogLayout</name>
    <message>
        <source>&amp;Comments:</source>
        <translation>&amp;Kommentare:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobFiles</name>
    <message>
        <source>Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>A job name cannot hold the path separator &quot;/&quot;, please input another name!</source>
        <translation>Ein Auftragsname darf das Pfadtrennzeichen „/“ nicht enthalten, bitte geben Sie einen anderen Namen ein!</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Delete the job &quot;%1&quot; together with its history?</source>
        <translation>Den Auftrag „%1“ samt seinem Verlauf löschen?</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>A job of this name exists already; please choose another name.</source>
        <translation>Ein Auftrag dieses Namens existiert bereits; bitte wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>This text file does not look like an exported job; please check it.</source>
        <translation>Diese Textdatei sieht nicht wie ein exportierter Auftrag aus; bitte prüfen Sie sie.</translation>
    </message>
    <message>
        <source>A job of this name exists already.</source>
        <translation>Ein Auftrag dieses Namens existiert bereits.</translation>
    </message>
    <message>
        <source>Import Job</source>
        <translation>Auftrag importieren</translation>
    </message>
    <message>
        <source>Please enter another name:</source>
        <translation>Bitte geben Sie einen anderen Namen ein:</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobTypeFrame</name>
    <message>
        <source>Choose what the job does</source>
        <translation>Wählen Sie, was der Auftrag tut</translation>
    </message>
    <message>
        <source>Add a watermark to office files</source>
        <translation>Office-Dateien mit einem Wasserzeichen versehen</translation>
    </message>
    <message>
        <source>Print office files to PDF files</source>
        <translation>Office-Dateien als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Add a watermark to office files, then print them to PDF files</source>
        <translation>Office-Dateien mit einem Wasserzeichen versehen und dann als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>How are PDF files printed?</source>
        <translation>Wie werden PDF-Dateien gedruckt?</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunControl</name>
    <message>
        <source>Thread Suspend</source>
        <translation>Auftrag angehalten</translation>
    </message>
    <message>
        <source>Thread Continue</source>
        <translation>Auftrag fortgesetzt</translation>
    </message>
    <message>
        <source>Thread Terminate</source>
        <translation>Auftrag abgebrochen</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunDisplay</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TSettingFrame</name>
    <message>
        <source>Also .docx, .xlsx, .pptx and OpenDocument files</source>
        <translation>Auch .docx-, .xlsx-, .pptx- und OpenDocument-Dateien</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>&amp;Workers (files at once):</source>
        <translation>&amp;Worker (Dateien gleichzeitig):</translation>
    </message>
    <message>
        <source>one per core</source>
        <translation>einer je Kern</translation>
    </message>
    <message>
        <source>How many files a run stamps at the same time, each in an office process of its own. More than one is faster on a machine with several processor cores.</source>
        <translation>Wie viele Dateien ein Lauf gleichzeitig stempelt, jede in einem eigenen Office-Prozess. Mehr als einer ist auf einem Rechner mit mehreren Prozessorkernen schneller.</translation>
    </message>
    <message>
        <source>Job name:</source>
        <translation>Auftragsname:</translation>
    </message>
    <message>
        <source>File types</source>
        <translation>Dateitypen</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;Word files (.doc)</source>
        <translation>&amp;Word-Dateien (.doc) mit einem Wasserzeichen versehen</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;Excel files (.xls)</source>
        <translation>&amp;Excel-Dateien (.xls) mit einem Wasserzeichen versehen</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;PowerPoint files (.ppt)</source>
        <translation>&amp;PowerPoint-Dateien (.ppt) mit einem Wasserzeichen versehen</translation>
    </message>
    <message>
        <source>Print the watermarked files to PD&amp;F files</source>
        <translation>Die Dateien mit Wasserzeichen als PD&amp;F-Dateien drucken</translation>
    </message>
    <message>
        <source>Copy all &amp;other files of the folders too</source>
        <translation>Alle a&amp;nderen Dateien der Ordner ebenfalls kopieren</translation>
    </message>
    <message>
        <source>Replace e&amp;xisting destinations</source>
        <translation>Vorhandene &amp;Ziele ersetzen</translation>
    </message>
    <message>
        <source>Off, a run passes over every file whose destination exists. On, it stamps, prints and copies those files again, replacing their destinations (never another output of the same run).</source>
        <translation>Aus: Ein Lauf übergeht jede Datei, deren Ziel bereits existiert. Ein: Er stempelt, druckt und kopiert diese Dateien erneut und ersetzt ihre Ziele (nie eine andere Ausgabe desselben Laufs).</translation>
    </message>
    <message>
        <source>The job name cannot be empty; please enter one.</source>
        <translation>Der Auftragsname darf nicht leer sein; bitte geben Sie einen ein.</translation>
    </message>
    <message>
        <source>Also stamp PDF files</source>
        <translation>Auch PDF-Dateien stempeln</translation>
    </message>
    <message>
        <source>&amp;Verify every page</source>
        <translation>&amp;Jede Seite prüfen</translation>
    </message>
    <message>
        <source>After saving, open each stamped file (and its PDF) again, render every page and count the file as failed when a page does not show the mark.</source>
        <translation>Nach dem Speichern jede gestempelte Datei (und ihr PDF) erneut öffnen, jede Seite darstellen und die Datei als fehlgeschlagen zählen, wenn eine Seite das Zeichen nicht zeigt.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAbout</name>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later), without any warranty.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später (GPL-3.0-or-later), ohne jede Gewährleistung.</translation>
    </message>
    <message>
        <source>Licence</source>
        <translation>Lizenz</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Home page</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>About Stampwell</source>
        <translation>Über Stampwell</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Stamps a text watermark into Word, Excel and PowerPoint files in bulk, and prints them to PDF files, with LibreOffice.</source>
        <translation>Versieht Word-, Excel- und PowerPoint-Dateien stapelweise mit einem Text-Wasserzeichen und druckt sie mit LibreOffice als PDF-Dateien.</translation>
    </message>
    <message>
        <source>Open the help</source>
        <translation>Hilfe öffnen</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmHelp</name>
    <message>
        <source>Stampwell Help</source>
        <translation>Stampwell-Hilfe</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmMain</name>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Ausführen</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>New Job</source>
        <translation>Neuer Auftrag</translation>
    </message>
    <message>
        <source>Stop Job</source>
        <translation>Auftrag stoppen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Job status:</source>
        <translation>Auftragsstatus:</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Job Profiles</source>
        <translation>Auftragsprofile</translation>
    </message>
    <message>
        <source>The job is running, its name and its files can change only when the run has ended!</source>
        <translation>Der Auftrag läuft; sein Name und seine Dateien können sich erst nach dem Ende des Laufs ändern!</translation>
    </message>
    <message>
        <source>&amp;New Job...</source>
        <translation>&amp;Neuer Auftrag...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importieren...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>Aus&amp;führen</translation>
    </message>
    <message>
        <source>&amp;Suspend</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>&amp;About Stampwell</source>
        <translation>Ü&amp;ber Stampwell</translation>
    </message>
    <message>
        <source>Stampwell &amp;Help</source>
        <translation>Stampwell-&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>&amp;Panel</source>
        <translation>&amp;Bereich</translation>
    </message>
    <message>
        <source>&amp;Run Job</source>
        <translation>Auftrag aus&amp;führen</translation>
    </message>
    <message>
        <source>&amp;Cancel Job</source>
        <translation>Auftrag a&amp;bbrechen</translation>
    </message>
    <message>
        <source>Show &amp;Progress</source>
        <translation>&amp;Fortschritt anzeigen</translation>
    </message>
    <message>
        <source>&amp;Job</source>
        <translation>&amp;Auftrag</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>A&amp;nsicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Folders and Files</source>
        <translation>Ordner und Dateien</translation>
    </message>
    <message>
        <source>Watermark</source>
        <translation>Wasserzeichen</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Please select a job first.</source>
        <translation>Bitte wählen Sie zuerst einen Auftrag aus.</translation>
    </message>
    <message>
        <source>Please select the job to export first.</source>
        <translation>Bitte wählen Sie zuerst den zu exportierenden Auftrag aus.</translation>
    </message>
    <message>
        <source>A job is running. Stop it and quit Stampwell?</source>
        <translation>Ein Auftrag läuft. Ihn anhalten und Stampwell beenden?</translation>
    </message>
    <message>
        <source>Suspended</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Stopping</source>
        <translation>Wird beendet</translation>
    </message>
    <message>
        <source>C&amp;ontinue</source>
        <translation>Fort&amp;setzen</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmNewWizard</name>
    <message>
        <source>&amp;Previous</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Unable to write to </source>
        <translation>Kann nicht schreiben: </translation>
    </message>
    <message>
        <source>New Job Wizard</source>
        <translation>Assistent für neue Aufträge</translation>
    </message>
    <message>
        <source>&amp;Save Job</source>
        <translation>Auftrag &amp;speichern</translation>
    </message>
    <message>
        <source>Print office files to PDF files</source>
        <translation>Office-Dateien als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Print the watermarked files to PDF files</source>
        <translation>Die Dateien mit Wasserzeichen als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>A job of this name exists already; please choose another name.</source>
        <translation>Ein Auftrag dieses Namens existiert bereits; bitte wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmProgress</name>
    <message>
        <source>Job Progress</source>
        <translation>Auftragsfortschritt</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>&amp;Hide</source>
        <translation>A&amp;usblenden</translation>
    </message>
    <message>
        <source>&amp;Suspend</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Stopping after the file in hand</source>
        <translation>Wird nach der laufenden Datei beendet</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Elapsed %1</source>
        <translation>Vergangen: %1</translation>
    </message>
    <message>
        <source>%1 files per second</source>
        <translation>%1 Dateien pro Sekunde</translation>
    </message>
    <message>
        <source>about %1 left</source>
        <translation>noch etwa %1</translation>
    </message>
    <message>
        <source>C&amp;ontinue</source>
        <translation>Fort&amp;setzen</translation>
    </message>
</context>
</TS>
