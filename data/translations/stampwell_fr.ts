<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>QObject</name>
    <message>
        <source>Cancelled after %1 of %2</source>
        <translation>Annulé après %1 sur %2</translation>
    </message>
    <message>
        <source>Stopped by an error</source>
        <translation>Arrêté par une erreur</translation>
    </message>
    <message>
        <source>Completed: %1 of %2 files failed</source>
        <translation>Terminé : %1 fichiers sur %2 en échec</translation>
    </message>
    <message>
        <source>Nothing to do: 1 destination exists</source>
        <translation>Rien à faire : 1 destination existe déjà</translation>
    </message>
    <message>
        <source>Nothing to do: %1 destinations exist</source>
        <translation>Rien à faire : %1 destinations existent déjà</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>stamped %1, printed %2, copied %3, skipped %4, failed %5</source>
        <translation>%1 tamponnés, %2 imprimés, %3 copiés, %4 ignorés, %5 en échec</translation>
    </message>
</context>
<context>
    <name>stampwell::TColorListBox</name>
    <message>
        <source>Desktop: %1</source>
        <translation>Bureau : %1</translation>
    </message>
    <message>
        <source>Custom %1</source>
        <translation>Personnalisée %1</translation>
    </message>
</context>
<context>
    <name>stampwell::TDocSetFrame</name>
    <message>
        <source>Watermark Settings</source>
        <translation>Réglages du filigrane</translation>
    </message>
    <message>
        <source>&amp;Transparent</source>
        <translation>&amp;Transparent</translation>
    </message>
    <message>
        <source>Oblique</source>
        <translation>Oblique</translation>
    </message>
    <message>
        <source>Si&amp;ze: </source>
        <translation>Tai&amp;lle : </translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Police :</translation>
    </message>
    <message>
        <source>C&amp;olor: </source>
        <translation>C&amp;ouleur : </translation>
    </message>
    <message>
        <source>&amp;Style: </source>
        <translation>&amp;Style : </translation>
    </message>
    <message>
        <source>in place of %1</source>
        <translation>à la place de %1</translation>
    </message>
    <message>
        <source>%1 is not installed; %2 is shown and used in its place.</source>
        <translation>%1 n’est pas installée ; %2 est affichée et utilisée à sa place.</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose any colour</source>
        <translation>Choisir une couleur quelconque</translation>
    </message>
    <message>
        <source>Horizontal</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>Preview in LibreOffice</source>
        <translation>Aperçu dans LibreOffice</translation>
    </message>
    <message>
        <source>Watermark &amp;text:</source>
        <translation>&amp;Texte du filigrane :</translation>
    </message>
    <message>
        <source>Watermark Colour</source>
        <translation>Couleur du filigrane</translation>
    </message>
    <message>
        <source>Please enter the watermark text first.</source>
        <translation>Veuillez d&apos;abord saisir le texte du filigrane.</translation>
    </message>
</context>
<context>
    <name>stampwell::TFolderFrame</name>
    <message>
        <source>Comments</source>
        <translation>Commentaires</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Ajouter un fichier</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Modifier</translation>
    </message>
    <message>
        <source>Source folder/file</source>
        <translation>Dossier/fichier source</translation>
    </message>
    <message>
        <source>Destination folder/file</source>
        <translation>Dossier/fichier de destination</translation>
    </message>
    <message>
        <source>Drop folders and files here to add them</source>
        <translation>Déposez ici des dossiers et des fichiers pour les ajouter</translation>
    </message>
    <message>
        <source>Add F&amp;older...</source>
        <translation>Ajouter un d&amp;ossier...</translation>
    </message>
    <message>
        <source>Add F&amp;ile...</source>
        <translation>Ajouter un f&amp;ichier...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Modifier...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Retirer</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>%1 (stamped)</source>
        <translation>%1 (tamponné)</translation>
    </message>
    <message>
        <source>Please select the row to edit first.</source>
        <translation>Veuillez d&apos;abord sélectionner la ligne à modifier.</translation>
    </message>
    <message>
        <source>Please select the row to remove first.</source>
        <translation>Veuillez d&apos;abord sélectionner la ligne à retirer.</translation>
    </message>
</context>
<context>
    <name>stampwell::THistoryFrame</name>
    <message>
        <source>Cancelled</source>
        <translation>Annulé</translation>
    </message>
    <message>
        <source>Did not finish</source>
        <translation>Non terminé</translation>
    </message>
    <message>
        <source>Completed: 1 file failed</source>
        <translation>Terminé : 1 fichier en échec</translation>
    </message>
    <message>
        <source>Completed: %1 files failed</source>
        <translation>Terminé : %1 fichiers en échec</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>%1  %2 (stamped %3, printed %4, copied %5, failed %6)</source>
        <translation>%1  %2 (%3 tamponnés, %4 imprimés, %5 copiés, %6 en échec)</translation>
    </message>
    <message>
        <source>the file could not be opened (damaged, protected by a password, or not of its kind)</source>
        <translation>le fichier n&apos;a pas pu être ouvert (endommagé, protégé par un mot de passe ou d&apos;un autre type)</translation>
    </message>
    <message>
        <source>the office program reported an error%1</source>
        <translation>le programme bureautique a signalé une erreur%1</translation>
    </message>
    <message>
        <source>the office program refused%1</source>
        <translation>le programme bureautique a refusé%1</translation>
    </message>
    <message>
        <source>Runs, newest first</source>
        <translation>Exécutions, les plus récentes d&apos;abord</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialog</name>
    <message>
        <source>Add File</source>
        <translation>Ajouter un fichier</translation>
    </message>
    <message>
        <source>&amp;Source file:</source>
        <translation>Fichier &amp;source :</translation>
    </message>
    <message>
        <source>&amp;Destination file:</source>
        <translation>Fichier de &amp;destination :</translation>
    </message>
    <message>
        <source>Note: when the destination is the source file itself, the watermark is added to the original file.</source>
        <translation>Remarque : si la destination est le fichier source lui-même, le filigrane est ajouté au fichier d&apos;origine.</translation>
    </message>
    <message>
        <source>Please enter a source file and a destination file first.</source>
        <translation>Veuillez d&apos;abord indiquer un fichier source et un fichier de destination.</translation>
    </message>
    <message>
        <source>The destination is the source itself: please close the file in every office program before the job runs.</source>
        <translation>La destination est la source elle-même : veuillez fermer le fichier dans tous les programmes bureautiques avant l&apos;exécution de la tâche.</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>&amp;Source folder:</source>
        <translation>Dossier &amp;source :</translation>
    </message>
    <message>
        <source>&amp;Destination folder:</source>
        <translation>Dossier de &amp;destination :</translation>
    </message>
    <message>
        <source>Note: when the destination is the source folder itself, the watermark is added to the original files.</source>
        <translation>Remarque : si la destination est le dossier source lui-même, le filigrane est ajouté aux fichiers d&apos;origine.</translation>
    </message>
    <message>
        <source>Please enter a source folder and a destination folder first.</source>
        <translation>Veuillez d&apos;abord indiquer un dossier source et un dossier de destination.</translation>
    </message>
    <message>
        <source>The destination is the source itself: please close its files in every office program before the job runs.</source>
        <translation>La destination est la source elle-même : veuillez fermer ses fichiers dans tous les programmes bureautiques avant l&apos;exécution de la tâche.</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>Choisir un dossier</translation>
    </message>
    <message>
        <source>Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</source>
        <translation>Fichiers Word (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Fichiers Excel (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Fichiers PowerPoint (*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</translation>
    </message>
    <message>
        <source>Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint Files(*.Ppt)|*.Ppt</source>
        <translation>Fichiers Word (*.Doc)|*.Doc|Fichiers Excel (*.Xls)|*.Xls|Fichiers PowerPoint (*.Ppt)|*.Ppt</translation>
    </message>
    <message>
        <source>The destination must be a file of one of the current formats (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) or a .pdf file.</source>
        <translation>La destination doit être un fichier de l&apos;un des formats actuels (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) ou un fichier .pdf.</translation>
    </message>
    <message>
        <source>Only .doc, .xls, .ppt and .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp files can be added; the destination may also be a .pdf file.</source>
        <translation>Seuls les fichiers .doc, .xls, .ppt et .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp peuvent être ajoutés ; la destination peut aussi être un fichier .pdf.</translation>
    </message>
    <message>
        <source>Only .doc, .xls and .ppt files can be added; the destination may also be a .pdf file.</source>
        <translation>Seuls les fichiers .doc, .xls et .ppt peuvent être ajoutés ; la destination peut aussi être un fichier .pdf.</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)|*.pdf</source>
        <translation>Fichiers PDF (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>The destination of a PDF file must be a .pdf file.</source>
        <translation>La destination d&apos;un fichier PDF doit être un fichier .pdf.</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialogLayout</name>
    <message>
        <source>&amp;Comments:</source>
        <translation>&amp;Commentaires :</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobFiles</name>
    <message>
        <source>Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*</translation>
    </message>
    <message>
        <source>A job name cannot hold the path separator &quot;/&quot;, please input another name!</source>
        <translation>Un nom de tâche ne peut pas contenir le séparateur de chemin « / », veuillez saisir un autre nom !</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Impossible d’écrire dans %1</translation>
    </message>
    <message>
        <source>Delete the job &quot;%1&quot; together with its history?</source>
        <translation>Supprimer la tâche « %1 » avec son historique ?</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importer</translation>
    </message>
    <message>
        <source>A job of this name exists already; please choose another name.</source>
        <translation>Une tâche de ce nom existe déjà ; veuillez choisir un autre nom.</translation>
    </message>
    <message>
        <source>This text file does not look like an exported job; please check it.</source>
        <translation>Ce fichier texte ne ressemble pas à une tâche exportée ; veuillez le vérifier.</translation>
    </message>
    <message>
        <source>A job of this name exists already.</source>
        <translation>Une tâche de ce nom existe déjà.</translation>
    </message>
    <message>
        <source>Import Job</source>
        <translation>Importer une tâche</translation>
    </message>
    <message>
        <source>Please enter another name:</source>
        <translation>Veuillez saisir un autre nom :</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobTypeFrame</name>
    <message>
        <source>Choose what the job does</source>
        <translation>Choisissez ce que fait la tâche</translation>
    </message>
    <message>
        <source>Add a watermark to office files</source>
        <translation>Ajouter un filigrane aux fichiers bureautiques</translation>
    </message>
    <message>
        <source>Print office files to PDF files</source>
        <translation>Imprimer les fichiers bureautiques en fichiers PDF</translation>
    </message>
    <message>
        <source>Add a watermark to office files, then print them to PDF files</source>
        <translation>Ajouter un filigrane aux fichiers bureautiques, puis les imprimer en fichiers PDF</translation>
    </message>
    <message>
        <source>How are PDF files printed?</source>
        <translation>Comment les fichiers PDF sont-ils imprimés ?</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunControl</name>
    <message>
        <source>Thread Suspend</source>
        <translation>Tâche suspendue</translation>
    </message>
    <message>
        <source>Thread Continue</source>
        <translation>Tâche reprise</translation>
    </message>
    <message>
        <source>Thread Terminate</source>
        <translation>Tâche arrêtée</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunDisplay</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TSettingFrame</name>
    <message>
        <source>Also .docx, .xlsx, .pptx and OpenDocument files</source>
        <translation>Aussi les fichiers .docx, .xlsx, .pptx et OpenDocument</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>&amp;Workers (files at once):</source>
        <translation>&amp;Travailleurs (fichiers à la fois) :</translation>
    </message>
    <message>
        <source>one per core</source>
        <translation>un par cœur</translation>
    </message>
    <message>
        <source>How many files a run stamps at the same time, each in an office process of its own. More than one is faster on a machine with several processor cores.</source>
        <translation>Nombre de fichiers qu’une exécution marque en même temps, chacun dans son propre processus bureautique. Plus d’un est plus rapide sur une machine à plusieurs cœurs.</translation>
    </message>
    <message>
        <source>Job name:</source>
        <translation>Nom de la tâche :</translation>
    </message>
    <message>
        <source>File types</source>
        <translation>Types de fichiers</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;Word files (.doc)</source>
        <translation>Ajouter un filigrane aux fichiers &amp;Word (.doc)</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;Excel files (.xls)</source>
        <translation>Ajouter un filigrane aux fichiers &amp;Excel (.xls)</translation>
    </message>
    <message>
        <source>Add a watermark to &amp;PowerPoint files (.ppt)</source>
        <translation>Ajouter un filigrane aux fichiers &amp;PowerPoint (.ppt)</translation>
    </message>
    <message>
        <source>Print the watermarked files to PD&amp;F files</source>
        <translation>Imprimer les fichiers filigranés en fichiers PD&amp;F</translation>
    </message>
    <message>
        <source>Copy all &amp;other files of the folders too</source>
        <translation>Copier aussi tous les &amp;autres fichiers des dossiers</translation>
    </message>
    <message>
        <source>Replace e&amp;xisting destinations</source>
        <translation>Remplacer les destinations e&amp;xistantes</translation>
    </message>
    <message>
        <source>Off, a run passes over every file whose destination exists. On, it stamps, prints and copies those files again, replacing their destinations (never another output of the same run).</source>
        <translation>Désactivé : une exécution passe chaque fichier dont la destination existe. Activé : elle tamponne, imprime et copie à nouveau ces fichiers et remplace leurs destinations (jamais une autre sortie de la même exécution).</translation>
    </message>
    <message>
        <source>The job name cannot be empty; please enter one.</source>
        <translation>Le nom de la tâche ne peut pas être vide ; veuillez en saisir un.</translation>
    </message>
    <message>
        <source>Also stamp PDF files</source>
        <translation>Tamponner aussi les fichiers PDF</translation>
    </message>
    <message>
        <source>&amp;Verify every page</source>
        <translation>&amp;Vérifier chaque page</translation>
    </message>
    <message>
        <source>After saving, open each stamped file (and its PDF) again, render every page and count the file as failed when a page does not show the mark.</source>
        <translation>Après l&apos;enregistrement, rouvrir chaque fichier tamponné (et son PDF), afficher chaque page et compter le fichier comme en échec si une page ne montre pas la marque.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAbout</name>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later), without any warranty.</source>
        <translation>Logiciel libre sous la licence publique générale GNU, version 3 ou ultérieure (GPL-3.0-or-later), sans aucune garantie.</translation>
    </message>
    <message>
        <source>Licence</source>
        <translation>Licence</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Assistance</translation>
    </message>
    <message>
        <source>Home page</source>
        <translation>Page d’accueil</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>About Stampwell</source>
        <translation>À propos de Stampwell</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Stamps a text watermark into Word, Excel and PowerPoint files in bulk, and prints them to PDF files, with LibreOffice.</source>
        <translation>Ajoute en série un filigrane texte aux fichiers Word, Excel et PowerPoint et les imprime en fichiers PDF, avec LibreOffice.</translation>
    </message>
    <message>
        <source>Open the help</source>
        <translation>Ouvrir l&apos;aide</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmHelp</name>
    <message>
        <source>Stampwell Help</source>
        <translation>Aide de Stampwell</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmMain</name>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Exécuter</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Suspendre</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Barre d’outils</translation>
    </message>
    <message>
        <source>New Job</source>
        <translation>Nouvelle tâche</translation>
    </message>
    <message>
        <source>Stop Job</source>
        <translation>Arrêter la tâche</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>État :</translation>
    </message>
    <message>
        <source>Job status:</source>
        <translation>État de la tâche :</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Job Profiles</source>
        <translation>Profils de tâches</translation>
    </message>
    <message>
        <source>The job is running, its name and its files can change only when the run has ended!</source>
        <translation>La tâche est en cours ; son nom et ses fichiers ne peuvent changer qu’à la fin de l’exécution !</translation>
    </message>
    <message>
        <source>&amp;New Job...</source>
        <translation>&amp;Nouvelle tâche...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exporter...</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importer...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>E&amp;xécuter</translation>
    </message>
    <message>
        <source>&amp;Suspend</source>
        <translation>&amp;Suspendre</translation>
    </message>
    <message>
        <source>&amp;About Stampwell</source>
        <translation>À &amp;propos de Stampwell</translation>
    </message>
    <message>
        <source>Stampwell &amp;Help</source>
        <translation>&amp;Aide de Stampwell</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Actualiser</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>&amp;Barre d&apos;outils</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Barre d&apos;é&amp;tat</translation>
    </message>
    <message>
        <source>&amp;Panel</source>
        <translation>&amp;Panneau</translation>
    </message>
    <message>
        <source>&amp;Run Job</source>
        <translation>E&amp;xécuter la tâche</translation>
    </message>
    <message>
        <source>&amp;Cancel Job</source>
        <translation>&amp;Annuler la tâche</translation>
    </message>
    <message>
        <source>Show &amp;Progress</source>
        <translation>Afficher la &amp;progression</translation>
    </message>
    <message>
        <source>&amp;Job</source>
        <translation>&amp;Tâche</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;ide</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>Folders and Files</source>
        <translation>Dossiers et fichiers</translation>
    </message>
    <message>
        <source>Watermark</source>
        <translation>Filigrane</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historique</translation>
    </message>
    <message>
        <source>Please select a job first.</source>
        <translation>Veuillez d&apos;abord sélectionner une tâche.</translation>
    </message>
    <message>
        <source>Please select the job to export first.</source>
        <translation>Veuillez d&apos;abord sélectionner la tâche à exporter.</translation>
    </message>
    <message>
        <source>A job is running. Stop it and quit Stampwell?</source>
        <translation>Une tâche est en cours. L&apos;arrêter et quitter Stampwell ?</translation>
    </message>
    <message>
        <source>Suspended</source>
        <translation>Suspendu</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>En cours</translation>
    </message>
    <message>
        <source>Stopping</source>
        <translation>Arrêt en cours</translation>
    </message>
    <message>
        <source>C&amp;ontinue</source>
        <translation>C&amp;ontinuer</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmNewWizard</name>
    <message>
        <source>&amp;Previous</source>
        <translation>&amp;Précédent</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Suivant</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Unable to write to </source>
        <translation>Impossible d’écrire : </translation>
    </message>
    <message>
        <source>New Job Wizard</source>
        <translation>Assistant de nouvelle tâche</translation>
    </message>
    <message>
        <source>&amp;Save Job</source>
        <translation>&amp;Enregistrer la tâche</translation>
    </message>
    <message>
        <source>Print office files to PDF files</source>
        <translation>Imprimer les fichiers bureautiques en fichiers PDF</translation>
    </message>
    <message>
        <source>Print the watermarked files to PDF files</source>
        <translation>Imprimer les fichiers filigranés en fichiers PDF</translation>
    </message>
    <message>
        <source>A job of this name exists already; please choose another name.</source>
        <translation>Une tâche de ce nom existe déjà ; veuillez choisir un autre nom.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmProgress</name>
    <message>
        <source>Job Progress</source>
        <translation>Progression de la tâche</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
    <message>
        <source>&amp;Hide</source>
        <translation>&amp;Masquer</translation>
    </message>
    <message>
        <source>&amp;Suspend</source>
        <translation>&amp;Suspendre</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Stopping after the file in hand</source>
        <translation>Arrêt après le fichier en cours</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>Elapsed %1</source>
        <translation>Écoulé : %1</translation>
    </message>
    <message>
        <source>%1 files per second</source>
        <translation>%1 fichiers par seconde</translation>
    </message>
    <message>
        <source>about %1 left</source>
        <translation>environ %1 restant</translation>
    </message>
    <message>
        <source>C&amp;ontinue</source>
        <translation>C&amp;ontinuer</translation>
    </message>
</context>
</TS>
