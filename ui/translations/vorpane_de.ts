<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>vorpane::Artwork</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation>Groß</translation>
    </message>
    <message>
        <source>Small icons</source>
        <translation>Klein</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Conversion list</source>
        <translation>Umwandlungsliste</translation>
    </message>
    <message>
        <source>one page per photo, top to bottom</source>
        <translation>eine Seite je Foto</translation>
    </message>
    <message>
        <source>JPEG photos to one PDF</source>
        <translation>JPEG-Fotos zu einem PDF</translation>
    </message>
    <message>
        <source>Choose photos</source>
        <translation>Fotos wählen</translation>
    </message>
    <message>
        <source>pick a folder, then add its JPEG files to the list</source>
        <translation>Ordner wählen, dann seine JPEG-Dateien zur Liste hinzufügen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Double-click a photo, or drag it onto the list, to add it.</source>
        <translation>Foto doppelklicken oder auf die Liste ziehen, um es hinzuzufügen.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>No preview</source>
        <translation>Keine Vorschau</translation>
    </message>
    <message>
        <source>click a photo to see it</source>
        <translation>ein Foto anklicken</translation>
    </message>
</context>
<context>
    <name>vorpane::OutcomeMessage</name>
    <message>
        <source>
and %1 more.</source>
        <translation>
und %1 weitere.</translation>
    </message>
    <message>
        <source>This listed file gave no page:</source>
        <translation>Diese Datei der Liste ergab keine Seite:</translation>
    </message>
    <message>
        <source>These listed files gave no page:</source>
        <translation>Diese Dateien der Liste ergaben keine Seite:</translation>
    </message>
    <message>
        <source>This photo&apos;s data was incomplete; its page shows what there was:</source>
        <translation>Die Daten dieses Fotos waren unvollständig; seine Seite zeigt, was da war:</translation>
    </message>
    <message>
        <source>These photos&apos; data was incomplete; their pages show what there was:</source>
        <translation>Die Daten dieser Fotos waren unvollständig; ihre Seiten zeigen, was da war:</translation>
    </message>
    <message>
        <source>The page of this listed file is squashed:</source>
        <translation>Die Seite dieser Datei der Liste ist gestaucht:</translation>
    </message>
    <message>
        <source>The pages of these listed files are squashed:</source>
        <translation>Die Seiten dieser Dateien der Liste sind gestaucht:</translation>
    </message>
    <message>
        <source>This photo&apos;s page is smaller, so that PDF readers can show it:</source>
        <translation>Die Seite dieses Fotos ist kleiner, damit PDF-Leser sie zeigen können:</translation>
    </message>
    <message>
        <source>These photos&apos; pages are smaller, so that PDF readers can show them:</source>
        <translation>Die Seiten dieser Fotos sind kleiner, damit PDF-Leser sie zeigen können:</translation>
    </message>
    <message>
        <source>
No PDF written: no listed file could be converted.</source>
        <translation>
Kein PDF geschrieben: Keine Datei der Liste ließ sich umwandeln.</translation>
    </message>
    <message>
        <source>
No files existing!</source>
        <translation>
Keine Dateien vorhanden!</translation>
    </message>
    <message>
        <source>
No files existing!
</source>
        <translation>
Keine Dateien vorhanden!
</translation>
    </message>
    <message>
        <source>
No PDF written: a listed file can&apos;t be embedded as it is.
</source>
        <translation>
Kein PDF geschrieben: Eine Datei der Liste lässt sich nicht unverändert einbetten.
</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>
Congratulation! Converting Successed!</source>
        <translation>
Glückwunsch! Umwandlung gelungen!</translation>
    </message>
    <message>
        <source>
Aborted!</source>
        <translation>
Abgebrochen!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>
Stop convertingì!</source>
        <translation>
Umwandlung angehalten!</translation>
    </message>
    <message>
        <source>, quality %1</source>
        <translation>, Qualität %1</translation>
    </message>
    <message>
        <source>%1: 1 page, %2</source>
        <translation>%1: 1 Seite, %2</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n pages, %2</source>
        <translation>
            <numerusform>%1: %n Seite, %2</numerusform>
            <numerusform>%1: %n Seiten, %2</numerusform>
        </translation>
    </message>
    <message>
        <source>
No PDF written: %1.</source>
        <translation>
Kein PDF geschrieben: %1.</translation>
    </message>
    <message>
        <source>This listed file can&apos;t be converted:</source>
        <translation>Diese Datei der Liste lässt sich nicht umwandeln:</translation>
    </message>
    <message>
        <source>These listed files can&apos;t be converted:</source>
        <translation>Diese Dateien der Liste lassen sich nicht umwandeln:</translation>
    </message>
    <message>
        <source>

Leave them out and convert the rest, or cancel?</source>
        <translation>

Sie weglassen und den Rest umwandeln, oder abbrechen?</translation>
    </message>
</context>
<context>
    <name>vorpane::TApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>vorpane::TFolderModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Änderungsdatum</translation>
    </message>
</context>
<context>
    <name>vorpane::TForm1</name>
    <message>
        <source>
and %1 more</source>
        <translation>
und %1 weitere</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>
Only JPEG, HEIC, AVIF, PNG and WebP files can be added. These were left out:
</source>
        <translation>
Nur JPEG-, HEIC-, AVIF-, PNG- und WebP-Dateien lassen sich hinzufügen. Diese wurden ausgelassen:
</translation>
    </message>
    <message>
        <source>1 photo</source>
        <translation>1 Foto</translation>
    </message>
    <message>
        <source>%1 photos</source>
        <translation>%1 Fotos</translation>
    </message>
    <message>
        <source>Left out: </source>
        <translation>Ausgelassen: </translation>
    </message>
    <message>
        <source>Data incomplete: </source>
        <translation>Daten unvollständig: </translation>
    </message>
    <message>
        <source>Converting... %1 / %2</source>
        <translation>Umwandlung... %1 / %2</translation>
    </message>
    <message>
        <source>
Please add jpg files to the left blank first!</source>
        <translation>
Bitte zuerst JPG-Dateien in die Liste links hinzufügen!</translation>
    </message>
    <message>
        <source>
The quality must be a whole number from 0 to %1.</source>
        <translation>
Die Qualität muss eine ganze Zahl von 0 bis %1 sein.</translation>
    </message>
    <message>
        <source>
The width must be a whole number from 0 to %1.</source>
        <translation>
Die Breite muss eine ganze Zahl von 0 bis %1 sein.</translation>
    </message>
    <message>
        <source>
The height must be a whole number from 0 to %1.</source>
        <translation>
Die Höhe muss eine ganze Zahl von 0 bis %1 sein.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Umwandlung...</translation>
    </message>
    <message>
        <source>the folder</source>
        <translation>den Ordner</translation>
    </message>
    <message>
        <source>jpg files under the folder</source>
        <translation>JPG-Dateien im Ordner</translation>
    </message>
    <message>
        <source>Preview of selected jpg</source>
        <translation>Vorschau der gewählten JPG-Datei</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>selected jpg files to convert to pdf </source>
        <translation>gewählte JPG-Dateien, die zu PDF werden </translation>
    </message>
    <message>
        <source>Move up selected jpg</source>
        <translation>Gewählte JPG-Datei nach oben</translation>
    </message>
    <message>
        <source>Move down selected jpg</source>
        <translation>Gewählte JPG-Datei nach unten</translation>
    </message>
    <message>
        <source>Same size</source>
        <translation>Gleiche Größe</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Add selected jpg</source>
        <translation>Gewählte JPG-Datei hinzufügen</translation>
    </message>
    <message>
        <source>Add all jpg files</source>
        <translation>Alle JPG-Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Remove selected jpg</source>
        <translation>Gewählte JPG-Datei entfernen</translation>
    </message>
    <message>
        <source>Remove all jpg files</source>
        <translation>Alle JPG-Dateien entfernen</translation>
    </message>
    <message>
        <source>Upright (EXIF)</source>
        <translation>Aufrecht (EXIF)</translation>
    </message>
    <message>
        <source>Show each photo upright, as the camera&apos;s orientation tag says</source>
        <translation>Jedes Foto aufrecht zeigen, wie es die Ausrichtungsangabe der Kamera sagt</translation>
    </message>
    <message>
        <source>Page and photo options</source>
        <translation>Seiten- und Fotooptionen</translation>
    </message>
    <message>
        <source>PDF Document (*.pdf)</source>
        <translation>PDF-Dokument (*.pdf)</translation>
    </message>
    <message>
        <source>the help</source>
        <translation>die Hilfe</translation>
    </message>
    <message>
        <source>the homepage</source>
        <translation>die Homepage</translation>
    </message>
    <message>
        <source>
Could not open %1:
%2</source>
        <translation>
Konnte %1 nicht öffnen:
%2</translation>
    </message>
    <message>
        <source>Keep proportions</source>
        <translation>Proportional</translation>
    </message>
    <message>
        <source>Scale each photo to the largest size inside Width x Height that keeps its proportions, never enlarged</source>
        <translation>Jedes Foto mit seinen Proportionen so groß wie möglich in Breite x Höhe einpassen, nie vergrößert</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The folder whose JPEG files the file list shows</source>
        <translation>Der Ordner, dessen JPEG-Dateien die Dateiliste zeigt</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>The JPEG files of the chosen folder</source>
        <translation>Die JPEG-Dateien des gewählten Ordners</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Show the files as a list</source>
        <translation>Die Dateien als Liste zeigen</translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation>Große Symbole</translation>
    </message>
    <message>
        <source>Show the files as large icons</source>
        <translation>Die Dateien als große Symbole zeigen</translation>
    </message>
    <message>
        <source>Small icons</source>
        <translation>Kleine Symbole</translation>
    </message>
    <message>
        <source>Show the files as small icons</source>
        <translation>Die Dateien als kleine Symbole zeigen</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Show the files with their details</source>
        <translation>Die Dateien mit ihren Details zeigen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Conversion list</source>
        <translation>Umwandlungsliste</translation>
    </message>
    <message>
        <source>The photographs to convert, one page each, from the top</source>
        <translation>Die umzuwandelnden Fotos, je eine Seite, von oben an</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add all</source>
        <translation>Alle hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove all</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>Nach Name sortieren</translation>
    </message>
    <message>
        <source>Sort the conversion list by file name</source>
        <translation>Die Umwandlungsliste nach Dateinamen sortieren</translation>
    </message>
    <message>
        <source>Sort by folder</source>
        <translation>Nach Ordner sortieren</translation>
    </message>
    <message>
        <source>Sort the conversion list by folder</source>
        <translation>Die Umwandlungsliste nach Ordner sortieren</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Size mode</source>
        <translation>Größenmodus</translation>
    </message>
    <message>
        <source>Size modes</source>
        <translation>Größenmodi</translation>
    </message>
    <message>
        <source>Open the list of size modes</source>
        <translation>Die Liste der Größenmodi öffnen</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Page width in pixels; 0 follows the height</source>
        <translation>Seitenbreite in Pixeln; 0 folgt der Höhe</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Page height in pixels; 0 follows the width</source>
        <translation>Seitenhöhe in Pixeln; 0 folgt der Breite</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>JPEG quality, 1 to 100</source>
        <translation>JPEG-Qualität, 1 bis 100</translation>
    </message>
    <message>
        <source>Width up</source>
        <translation>Breite hoch</translation>
    </message>
    <message>
        <source>Count the width up</source>
        <translation>Die Breite hochzählen</translation>
    </message>
    <message>
        <source>Width down</source>
        <translation>Breite herunter</translation>
    </message>
    <message>
        <source>Count the width down</source>
        <translation>Die Breite herunterzählen</translation>
    </message>
    <message>
        <source>Height up</source>
        <translation>Höhe hoch</translation>
    </message>
    <message>
        <source>Count the height up</source>
        <translation>Die Höhe hochzählen</translation>
    </message>
    <message>
        <source>Height down</source>
        <translation>Höhe herunter</translation>
    </message>
    <message>
        <source>Count the height down</source>
        <translation>Die Höhe herunterzählen</translation>
    </message>
    <message>
        <source>Quality up</source>
        <translation>Qualität hoch</translation>
    </message>
    <message>
        <source>Count the quality up</source>
        <translation>Die Qualität hochzählen</translation>
    </message>
    <message>
        <source>Quality down</source>
        <translation>Qualität herunter</translation>
    </message>
    <message>
        <source>Count the quality down</source>
        <translation>Die Qualität herunterzählen</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Convert the conversion list into one PDF document</source>
        <translation>Die Umwandlungsliste in ein PDF-Dokument umwandeln</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop the conversion</source>
        <translation>Die Umwandlung anhalten</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Minimise the window</source>
        <translation>Das Fenster minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close Vorpane</source>
        <translation>Vorpane schließen</translation>
    </message>
    <message>
        <source>By name</source>
        <translation>Nach Name</translation>
    </message>
    <message>
        <source>By folder</source>
        <translation>Nach Ordner</translation>
    </message>
    <message>
        <source>By date taken</source>
        <translation>Nach Aufnahmedatum</translation>
    </message>
    <message>
        <source>Leave them out</source>
        <translation>Weglassen</translation>
    </message>
</context>
<context>
    <name>vorpane::TPageOptionsDialog</name>
    <message>
        <source>Page and photo options</source>
        <translation>Seiten- und Fotooptionen</translation>
    </message>
    <message>
        <source>Picture size</source>
        <translation>Bildgröße</translation>
    </message>
    <message>
        <source>Picture size: each page as large as its picture. A paper: each picture scaled to fit it, centred, the paper turned as the picture is</source>
        <translation>Bildgröße: jede Seite so groß wie ihr Bild. Ein Papierformat: jedes Bild darauf eingepasst, mittig, das Papier gedreht wie das Bild</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>The margin on every side of the paper</source>
        <translation>Der Rand auf jeder Seite des Papiers</translation>
    </message>
    <message>
        <source> dpi</source>
        <translation> dpi</translation>
    </message>
    <message>
        <source>Pages as large as their pictures at this many pixels per inch (72: one pixel to one point)</source>
        <translation>Seiten so groß wie ihre Bilder, mit so vielen Pixeln je Zoll (72: ein Pixel je Punkt)</translation>
    </message>
    <message>
        <source>Skip photos that can&apos;t be converted</source>
        <translation>Nicht umwandelbare Fotos auslassen</translation>
    </message>
    <message>
        <source>Leave them out, name them when the conversion ends, and convert the rest</source>
        <translation>Sie auslassen, am Ende der Umwandlung nennen und den Rest umwandeln</translation>
    </message>
    <message>
        <source>Keep colour profiles</source>
        <translation>Farbprofile behalten</translation>
    </message>
    <message>
        <source>Pages show each photo&apos;s colours as its embedded profile says</source>
        <translation>Die Seiten zeigen die Farben jedes Fotos, wie sein eingebettetes Profil sagt</translation>
    </message>
    <message>
        <source>Black-and-white JPEGs as they are</source>
        <translation>Schwarzweiß-JPEGs unverändert</translation>
    </message>
    <message>
        <source>&quot;Original size&quot; embeds grey JPEGs unchanged instead of refusing them</source>
        <translation>„Originalgröße“ bettet graue JPEGs unverändert ein, statt sie abzulehnen</translation>
    </message>
    <message>
        <source>Also list HEIC, PNG and WebP pictures</source>
        <translation>Auch HEIC-, PNG- und WebP-Bilder anzeigen</translation>
    </message>
    <message>
        <source>The file list shows HEIC, AVIF, PNG and WebP pictures beside the JPEG files</source>
        <translation>Die Dateiliste zeigt HEIC-, AVIF-, PNG- und WebP-Bilder neben den JPEG-Dateien</translation>
    </message>
    <message>
        <source>&amp;Paper:</source>
        <translation>&amp;Papier:</translation>
    </message>
    <message>
        <source>&amp;Margin:</source>
        <translation>&amp;Rand:</translation>
    </message>
    <message>
        <source>&amp;Resolution:</source>
        <translation>&amp;Auflösung:</translation>
    </message>
    <message>
        <source>At m&amp;ost</source>
        <translation>Hö&amp;chstens</translation>
    </message>
    <message>
        <source>&quot;Same size&quot;: the highest quality, up to the Quality field&apos;s, at which the whole document fits</source>
        <translation>„Gleiche Größe“: die höchste Qualität, bis zu der des Qualitätsfelds, bei der das ganze Dokument passt</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <source>The largest the document may be, in megabytes of 1,000,000 bytes</source>
        <translation>Die höchste Größe des Dokuments, in Megabyte zu 1.000.000 Byte</translation>
    </message>
</context>
<context>
    <name>vorpane::TShellListFilter</name>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>When the photo was taken, else when the file was last changed</source>
        <translation>Wann das Foto aufgenommen wurde, sonst wann die Datei zuletzt geändert wurde</translation>
    </message>
</context>
<context>
    <name>vorpane::TShellTreeView</name>
    <message>
        <source>Open in file manager</source>
        <translation>In der Dateiverwaltung öffnen</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
</context>
<context>
    <name>vorpane::WholeNumber</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; ist keine gültige ganze Zahl</translation>
    </message>
</context>
</TS>
