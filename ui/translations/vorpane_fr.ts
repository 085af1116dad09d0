<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>vorpane::Artwork</name>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Créer</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation>Grandes</translation>
    </message>
    <message>
        <source>Small icons</source>
        <translation>Petites</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Conversion list</source>
        <translation>Liste à convertir</translation>
    </message>
    <message>
        <source>one page per photo, top to bottom</source>
        <translation>une page par photo</translation>
    </message>
    <message>
        <source>JPEG photos to one PDF</source>
        <translation>Des photos JPEG en un PDF</translation>
    </message>
    <message>
        <source>Choose photos</source>
        <translation>Choisir les photos</translation>
    </message>
    <message>
        <source>pick a folder, then add its JPEG files to the list</source>
        <translation>choisissez un dossier, puis ajoutez ses JPEG à la liste</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Dossiers</translation>
    </message>
    <message>
        <source>Double-click a photo, or drag it onto the list, to add it.</source>
        <translation>Double-cliquez sur une photo ou glissez-la sur la liste pour l&apos;ajouter.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualité</translation>
    </message>
    <message>
        <source>No preview</source>
        <translation>Pas d&apos;aperçu</translation>
    </message>
    <message>
        <source>click a photo to see it</source>
        <translation>cliquez sur une photo</translation>
    </message>
</context>
<context>
    <name>vorpane::OutcomeMessage</name>
    <message>
        <source>
and %1 more.</source>
        <translation>
et %1 de plus.</translation>
    </message>
    <message>
        <source>This listed file gave no page:</source>
        <translation>Ce fichier de la liste n&apos;a donné aucune page :</translation>
    </message>
    <message>
        <source>These listed files gave no page:</source>
        <translation>Ces fichiers de la liste n&apos;ont donné aucune page :</translation>
    </message>
    <message>
        <source>This photo&apos;s data was incomplete; its page shows what there was:</source>
        <translation>Les données de cette photo étaient incomplètes ; sa page montre ce qu&apos;il y avait :</translation>
    </message>
    <message>
        <source>These photos&apos; data was incomplete; their pages show what there was:</source>
        <translation>Les données de ces photos étaient incomplètes ; leurs pages montrent ce qu&apos;il y avait :</translation>
    </message>
    <message>
        <source>The page of this listed file is squashed:</source>
        <translation>La page de ce fichier de la liste est écrasée :</translation>
    </message>
    <message>
        <source>The pages of these listed files are squashed:</source>
        <translation>Les pages de ces fichiers de la liste sont écrasées :</translation>
    </message>
    <message>
        <source>This photo&apos;s page is smaller, so that PDF readers can show it:</source>
        <translation>La page de cette photo est plus petite, pour que les lecteurs PDF puissent l&apos;afficher :</translation>
    </message>
    <message>
        <source>These photos&apos; pages are smaller, so that PDF readers can show them:</source>
        <translation>Les pages de ces photos sont plus petites, pour que les lecteurs PDF puissent les afficher :</translation>
    </message>
    <message>
        <source>
No PDF written: no listed file could be converted.</source>
        <translation>
Aucun PDF écrit : aucun fichier de la liste n&apos;a pu être converti.</translation>
    </message>
    <message>
        <source>
No files existing!</source>
        <translation>
Aucun fichier existant !</translation>
    </message>
    <message>
        <source>
No files existing!
</source>
        <translation>
Aucun fichier existant !
</translation>
    </message>
    <message>
        <source>
No PDF written: a listed file can&apos;t be embedded as it is.
</source>
        <translation>
Aucun PDF écrit : un fichier de la liste ne peut pas être intégré tel quel.
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
Félicitations ! Conversion réussie !</translation>
    </message>
    <message>
        <source>
Aborted!</source>
        <translation>
Interrompu !</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>
Stop convertingì!</source>
        <translation>
Conversion arrêtée !</translation>
    </message>
    <message>
        <source>, quality %1</source>
        <translation>, qualité %1</translation>
    </message>
    <message>
        <source>%1: 1 page, %2</source>
        <translation>%1 : 1 page, %2</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n pages, %2</source>
        <translation>
            <numerusform>%1 : %n page, %2</numerusform>
            <numerusform>%1 : %n pages, %2</numerusform>
        </translation>
    </message>
    <message>
        <source>
No PDF written: %1.</source>
        <translation>
Aucun PDF écrit : %1.</translation>
    </message>
    <message>
        <source>This listed file can&apos;t be converted:</source>
        <translation>Ce fichier de la liste ne peut pas être converti :</translation>
    </message>
    <message>
        <source>These listed files can&apos;t be converted:</source>
        <translation>Ces fichiers de la liste ne peuvent pas être convertis :</translation>
    </message>
    <message>
        <source>

Leave them out and convert the rest, or cancel?</source>
        <translation>

Les laisser de côté et convertir le reste, ou annuler ?</translation>
    </message>
</context>
<context>
    <name>vorpane::TApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
</context>
<context>
    <name>vorpane::TFolderModel</name>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Date de modification</translation>
    </message>
</context>
<context>
    <name>vorpane::TForm1</name>
    <message>
        <source>
and %1 more</source>
        <translation>
et %1 de plus</translation>
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
Seuls les fichiers JPEG, HEIC, AVIF, PNG et WebP peuvent être ajoutés. Ceux-ci ont été laissés de côté :
</translation>
    </message>
    <message>
        <source>1 photo</source>
        <translation>1 photo</translation>
    </message>
    <message>
        <source>%1 photos</source>
        <translation>%1 photos</translation>
    </message>
    <message>
        <source>Left out: </source>
        <translation>Laissé de côté : </translation>
    </message>
    <message>
        <source>Data incomplete: </source>
        <translation>Données incomplètes : </translation>
    </message>
    <message>
        <source>Converting... %1 / %2</source>
        <translation>Conversion... %1 / %2</translation>
    </message>
    <message>
        <source>
Please add jpg files to the left blank first!</source>
        <translation>
Ajoutez d&apos;abord des fichiers jpg à la liste de gauche !</translation>
    </message>
    <message>
        <source>
The quality must be a whole number from 0 to %1.</source>
        <translation>
La qualité doit être un nombre entier de 0 à %1.</translation>
    </message>
    <message>
        <source>
The width must be a whole number from 0 to %1.</source>
        <translation>
La largeur doit être un nombre entier de 0 à %1.</translation>
    </message>
    <message>
        <source>
The height must be a whole number from 0 to %1.</source>
        <translation>
La hauteur doit être un nombre entier de 0 à %1.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Conversion...</translation>
    </message>
    <message>
        <source>the folder</source>
        <translation>le dossier</translation>
    </message>
    <message>
        <source>jpg files under the folder</source>
        <translation>fichiers jpg du dossier</translation>
    </message>
    <message>
        <source>Preview of selected jpg</source>
        <translation>Aperçu du jpg sélectionné</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>selected jpg files to convert to pdf </source>
        <translation>fichiers jpg choisis à convertir en pdf </translation>
    </message>
    <message>
        <source>Move up selected jpg</source>
        <translation>Monter le jpg sélectionné</translation>
    </message>
    <message>
        <source>Move down selected jpg</source>
        <translation>Descendre le jpg sélectionné</translation>
    </message>
    <message>
        <source>Same size</source>
        <translation>Même taille</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Taille d&apos;origine</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>Page d&apos;accueil</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Add selected jpg</source>
        <translation>Ajouter le jpg sélectionné</translation>
    </message>
    <message>
        <source>Add all jpg files</source>
        <translation>Ajouter tous les fichiers jpg</translation>
    </message>
    <message>
        <source>Remove selected jpg</source>
        <translation>Retirer le jpg sélectionné</translation>
    </message>
    <message>
        <source>Remove all jpg files</source>
        <translation>Retirer tous les fichiers jpg</translation>
    </message>
    <message>
        <source>Upright (EXIF)</source>
        <translation>Droite (EXIF)</translation>
    </message>
    <message>
        <source>Show each photo upright, as the camera&apos;s orientation tag says</source>
        <translation>Afficher chaque photo droite, comme l&apos;indique la balise d&apos;orientation de l&apos;appareil</translation>
    </message>
    <message>
        <source>Page and photo options</source>
        <translation>Options de page et de photo</translation>
    </message>
    <message>
        <source>PDF Document (*.pdf)</source>
        <translation>Document PDF (*.pdf)</translation>
    </message>
    <message>
        <source>the help</source>
        <translation>l&apos;aide</translation>
    </message>
    <message>
        <source>the homepage</source>
        <translation>la page d&apos;accueil</translation>
    </message>
    <message>
        <source>
Could not open %1:
%2</source>
        <translation>
Impossible d&apos;ouvrir %1 :
%2</translation>
    </message>
    <message>
        <source>Keep proportions</source>
        <translation>Proportionnel</translation>
    </message>
    <message>
        <source>Scale each photo to the largest size inside Width x Height that keeps its proportions, never enlarged</source>
        <translation>Mettre chaque photo à la plus grande taille dans Largeur x Hauteur qui garde ses proportions, sans jamais l’agrandir</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Dossiers</translation>
    </message>
    <message>
        <source>The folder whose JPEG files the file list shows</source>
        <translation>Le dossier dont la liste de fichiers montre les fichiers JPEG</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fichiers</translation>
    </message>
    <message>
        <source>The JPEG files of the chosen folder</source>
        <translation>Les fichiers JPEG du dossier choisi</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Show the files as a list</source>
        <translation>Afficher les fichiers en liste</translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation>Grandes icônes</translation>
    </message>
    <message>
        <source>Show the files as large icons</source>
        <translation>Afficher les fichiers en grandes icônes</translation>
    </message>
    <message>
        <source>Small icons</source>
        <translation>Petites icônes</translation>
    </message>
    <message>
        <source>Show the files as small icons</source>
        <translation>Afficher les fichiers en petites icônes</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Show the files with their details</source>
        <translation>Afficher les fichiers avec leurs détails</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Conversion list</source>
        <translation>Liste de conversion</translation>
    </message>
    <message>
        <source>The photographs to convert, one page each, from the top</source>
        <translation>Les photos à convertir, une page chacune, depuis le haut</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Add all</source>
        <translation>Tout ajouter</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Remove all</source>
        <translation>Tout retirer</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>Trier par nom</translation>
    </message>
    <message>
        <source>Sort the conversion list by file name</source>
        <translation>Trier la liste de conversion par nom de fichier</translation>
    </message>
    <message>
        <source>Sort by folder</source>
        <translation>Trier par dossier</translation>
    </message>
    <message>
        <source>Sort the conversion list by folder</source>
        <translation>Trier la liste de conversion par dossier</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Monter</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Descendre</translation>
    </message>
    <message>
        <source>Size mode</source>
        <translation>Mode de taille</translation>
    </message>
    <message>
        <source>Size modes</source>
        <translation>Modes de taille</translation>
    </message>
    <message>
        <source>Open the list of size modes</source>
        <translation>Ouvrir la liste des modes de taille</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Page width in pixels; 0 follows the height</source>
        <translation>Largeur de page en pixels ; 0 suit la hauteur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Page height in pixels; 0 follows the width</source>
        <translation>Hauteur de page en pixels ; 0 suit la largeur</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualité</translation>
    </message>
    <message>
        <source>JPEG quality, 1 to 100</source>
        <translation>Qualité JPEG, de 1 à 100</translation>
    </message>
    <message>
        <source>Width up</source>
        <translation>Largeur plus</translation>
    </message>
    <message>
        <source>Count the width up</source>
        <translation>Augmenter la largeur</translation>
    </message>
    <message>
        <source>Width down</source>
        <translation>Largeur moins</translation>
    </message>
    <message>
        <source>Count the width down</source>
        <translation>Diminuer la largeur</translation>
    </message>
    <message>
        <source>Height up</source>
        <translation>Hauteur plus</translation>
    </message>
    <message>
        <source>Count the height up</source>
        <translation>Augmenter la hauteur</translation>
    </message>
    <message>
        <source>Height down</source>
        <translation>Hauteur moins</translation>
    </message>
    <message>
        <source>Count the height down</source>
        <translation>Diminuer la hauteur</translation>
    </message>
    <message>
        <source>Quality up</source>
        <translation>Qualité plus</translation>
    </message>
    <message>
        <source>Count the quality up</source>
        <translation>Augmenter la qualité</translation>
    </message>
    <message>
        <source>Quality down</source>
        <translation>Qualité moins</translation>
    </message>
    <message>
        <source>Count the quality down</source>
        <translation>Diminuer la qualité</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Créer</translation>
    </message>
    <message>
        <source>Convert the conversion list into one PDF document</source>
        <translation>Convertir la liste de conversion en un document PDF</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Stop the conversion</source>
        <translation>Arrêter la conversion</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Minimise the window</source>
        <translation>Réduire la fenêtre</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Close Vorpane</source>
        <translation>Fermer Vorpane</translation>
    </message>
    <message>
        <source>By name</source>
        <translation>Par nom</translation>
    </message>
    <message>
        <source>By folder</source>
        <translation>Par dossier</translation>
    </message>
    <message>
        <source>By date taken</source>
        <translation>Par date de prise de vue</translation>
    </message>
    <message>
        <source>Leave them out</source>
        <translation>Les laisser de côté</translation>
    </message>
</context>
<context>
    <name>vorpane::TPageOptionsDialog</name>
    <message>
        <source>Page and photo options</source>
        <translation>Options de page et de photo</translation>
    </message>
    <message>
        <source>Picture size</source>
        <translation>Taille de l&apos;image</translation>
    </message>
    <message>
        <source>Picture size: each page as large as its picture. A paper: each picture scaled to fit it, centred, the paper turned as the picture is</source>
        <translation>Taille de l&apos;image : chaque page aussi grande que son image. Un papier : chaque image mise à l&apos;échelle pour y tenir, centrée, le papier tourné comme l&apos;image</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>The margin on every side of the paper</source>
        <translation>La marge de chaque côté du papier</translation>
    </message>
    <message>
        <source> dpi</source>
        <translation> ppp</translation>
    </message>
    <message>
        <source>Pages as large as their pictures at this many pixels per inch (72: one pixel to one point)</source>
        <translation>Pages aussi grandes que leurs images, à ce nombre de pixels par pouce (72 : un pixel par point)</translation>
    </message>
    <message>
        <source>Skip photos that can&apos;t be converted</source>
        <translation>Ignorer les photos impossibles à convertir</translation>
    </message>
    <message>
        <source>Leave them out, name them when the conversion ends, and convert the rest</source>
        <translation>Les laisser de côté, les nommer à la fin de la conversion et convertir le reste</translation>
    </message>
    <message>
        <source>Keep colour profiles</source>
        <translation>Garder les profils de couleur</translation>
    </message>
    <message>
        <source>Pages show each photo&apos;s colours as its embedded profile says</source>
        <translation>Les pages montrent les couleurs de chaque photo selon son profil intégré</translation>
    </message>
    <message>
        <source>Black-and-white JPEGs as they are</source>
        <translation>JPEG noir et blanc tels quels</translation>
    </message>
    <message>
        <source>&quot;Original size&quot; embeds grey JPEGs unchanged instead of refusing them</source>
        <translation>« Taille d&apos;origine » intègre les JPEG en gris sans les modifier au lieu de les refuser</translation>
    </message>
    <message>
        <source>Also list HEIC, PNG and WebP pictures</source>
        <translation>Lister aussi les images HEIC, PNG et WebP</translation>
    </message>
    <message>
        <source>The file list shows HEIC, AVIF, PNG and WebP pictures beside the JPEG files</source>
        <translation>La liste des fichiers montre les images HEIC, AVIF, PNG et WebP à côté des fichiers JPEG</translation>
    </message>
    <message>
        <source>&amp;Paper:</source>
        <translation>&amp;Papier :</translation>
    </message>
    <message>
        <source>&amp;Margin:</source>
        <translation>&amp;Marge :</translation>
    </message>
    <message>
        <source>&amp;Resolution:</source>
        <translation>&amp;Résolution :</translation>
    </message>
    <message>
        <source>At m&amp;ost</source>
        <translation>Au pl&amp;us</translation>
    </message>
    <message>
        <source>&quot;Same size&quot;: the highest quality, up to the Quality field&apos;s, at which the whole document fits</source>
        <translation>« Même taille » : la plus haute qualité, jusqu’à celle du champ Qualité, à laquelle tout le document tient</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> Mo</translation>
    </message>
    <message>
        <source>The largest the document may be, in megabytes of 1,000,000 bytes</source>
        <translation>La taille maximale du document, en mégaoctets de 1 000 000 octets</translation>
    </message>
</context>
<context>
    <name>vorpane::TShellListFilter</name>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>When the photo was taken, else when the file was last changed</source>
        <translation>Date de prise de vue de la photo, sinon date de dernière modification du fichier</translation>
    </message>
</context>
<context>
    <name>vorpane::TShellTreeView</name>
    <message>
        <source>Open in file manager</source>
        <translation>Ouvrir dans le gestionnaire de fichiers</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Actualiser</translation>
    </message>
</context>
<context>
    <name>vorpane::WholeNumber</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; n&apos;est pas un nombre entier valide</translation>
    </message>
</context>
</TS>
