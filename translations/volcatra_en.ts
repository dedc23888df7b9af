<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>Application</name>
    <message>
        <source>OLE の初期化に失敗しました。OLE ライブラリが正しいバージョンのものか確認してください。</source>
        <translation>The program could not start its clipboard and drag-and-drop services. Check that it runs as a desktop program.</translation>
    </message>
    <message>
        <source>ボルカトラ</source>
        <translation>Volcatra</translation>
    </message>
    <message>
        <source>メディア構成 ファイル (*.fsr);;すべてのファイル (*)</source>
        <translation>Catalogue Files (*.fsr);;All Files (*)</translation>
    </message>
    <message>
        <source>システム アイコン の取得に失敗たため 起動できません</source>
        <translation>The program cannot start: the system icons could not be loaded.</translation>
    </message>
</context>
<context>
    <name>Browsing</name>
    <message>
        <source>同じボリュームシリアル番号のメディアが見つかりませんでした。</source>
        <translation>No medium with the same volume serial number was found.</translation>
    </message>
</context>
<context>
    <name>CatalogueError</name>
    <message>
        <source>%1 へのアクセス中に不明なエラーが発生しました。</source>
        <translation>An unknown error occurred while accessing %1.</translation>
    </message>
    <message>
        <source>%1 が見つかりませんでした。</source>
        <translation>%1 was not found.</translation>
    </message>
    <message>
        <source>%1 に正しくないパスが含まれています。</source>
        <translation>%1 contains an invalid path.</translation>
    </message>
    <message>
        <source>開いているファイルが多すぎるため、%1 を開けませんでした。</source>
        <translation>%1 could not be opened because too many files are open.</translation>
    </message>
    <message>
        <source>%1 へのアクセスは拒否されました。</source>
        <translation>Access to %1 was denied.</translation>
    </message>
    <message>
        <source>正しくないファイル ハンドルが %1 に関連付けられていました。</source>
        <translation>An invalid file handle was associated with %1.</translation>
    </message>
    <message>
        <source>現在のディレクトリ %1 は削除できませんでした。</source>
        <translation>%1 could not be removed because it is the current directory.</translation>
    </message>
    <message>
        <source>%1 を作成できませんでした。そのディレクトリはいっぱいです。</source>
        <translation>%1 could not be created because the directory is full.</translation>
    </message>
    <message>
        <source>%1 のシークに失敗しました。</source>
        <translation>Seeking in %1 failed.</translation>
    </message>
    <message>
        <source>%1 へのアクセス中にハードウェア I/O エラーが報告されました。</source>
        <translation>A hardware I/O error was reported while accessing %1.</translation>
    </message>
    <message>
        <source>%1 へのアクセス中に共有違反が発生しました。</source>
        <translation>A sharing violation occurred while accessing %1.</translation>
    </message>
    <message>
        <source>%1 へのアクセス中にロック違反が発生しました。</source>
        <translation>A locking violation occurred while accessing %1.</translation>
    </message>
    <message>
        <source>%1 へのアクセス中にディスクがいっぱいになりました。</source>
        <translation>The disk became full while accessing %1.</translation>
    </message>
    <message>
        <source>%1 の末尾以降にアクセスしようとしました。</source>
        <translation>An attempt was made to access %1 past its end.</translation>
    </message>
    <message>
        <source>予期しないファイル形式です。</source>
        <translation>Unexpected file format.</translation>
    </message>
    <message>
        <source>ドキュメントを開くことに失敗しました。</source>
        <translation>Failed to open the document.</translation>
    </message>
    <message>
        <source>ドキュメントの保存に失敗しました。</source>
        <translation>Failed to save the document.</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>新規にファイルを作成
新規ファイル</source>
        <translation>Create a new file
New File</translation>
    </message>
    <message>
        <source>既存のファイルを開く
開く</source>
        <translation>Open an existing file
Open</translation>
    </message>
    <message>
        <source>作業中のファイルを閉じる
閉じる</source>
        <translation>Close the active file
Close</translation>
    </message>
    <message>
        <source>作業中のファイルを上書きして保存
保存</source>
        <translation>Save the active file
Save</translation>
    </message>
    <message>
        <source>作業中のファイルを新しい名前で保存
名前をつけて保存</source>
        <translation>Save the active file with a new name
Save As</translation>
    </message>
    <message>
        <source>指定のファイルを開く</source>
        <translation>Open this file</translation>
    </message>
    <message>
        <source>アプリケーションを終了し、ファイルの保存を指示
終了</source>
        <translation>Quit the application; prompts to save files
Quit</translation>
    </message>
    <message>
        <source>ステータス バーの表示/非表示を切り替え
ステータス バーの表示切り替え</source>
        <translation>Show or hide the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>作業中のウィンドウを分割
分割</source>
        <translation>Split the active window
Split</translation>
    </message>
    <message>
        <source>作業中のドキュメントが表示された新しいウィンドウを表示
新規ウィンドウ</source>
        <translation>Open another window for the active document
New Window</translation>
    </message>
    <message>
        <source>オブジェクトを大きいアイコンで表示します。
大きいアイコン</source>
        <translation>Display items with large icons.
Large Icons</translation>
    </message>
    <message>
        <source>オブジェクトを小さいアイコンで表示します。
小さいアイコン</source>
        <translation>Display items with small icons.
Small Icons</translation>
    </message>
    <message>
        <source>オブジェクトを一覧表示します。
一覧</source>
        <translation>Display items in a list.
List</translation>
    </message>
    <message>
        <source>ウィンドウ内の各オブジェクトの詳細情報を表示します。
詳細</source>
        <translation>Display details about each item in the window.
Details</translation>
    </message>
    <message>
        <source>表示されている内容を名前順に並べ替え
名前順</source>
        <translation>Sort the items by name
By Name</translation>
    </message>
    <message>
        <source>表示されている内容をフォルダ順に並べ替え
フォルダ順</source>
        <translation>Sort the items by folder
By Folder</translation>
    </message>
    <message>
        <source>表示されている内容を種類順に並べ替え
種類順</source>
        <translation>Sort the items by type
By Type</translation>
    </message>
    <message>
        <source>表示されている内容をサイズ順に並べ替え
サイズ順</source>
        <translation>Sort the items by size
By Size</translation>
    </message>
    <message>
        <source>表示されている内容を日付順に並べ替え
日付順</source>
        <translation>Sort the items by date
By Date</translation>
    </message>
    <message>
        <source>表示されている内容を記録ファイル順に並べ替え
記録ファイル順</source>
        <translation>Sort the items by catalogue file
By Catalogue</translation>
    </message>
    <message>
        <source>1つ上のフォルダへ移動
1つ上のフォルダへ</source>
        <translation>Go to the parent folder
Up One Level</translation>
    </message>
    <message>
        <source>記録してあるボリュームのプロパティを表示
プロパティ</source>
        <translation>Show the properties of the recorded volume
Properties</translation>
    </message>
    <message>
        <source>オプションを設定・変更
オプション</source>
        <translation>Set or change the options
Options</translation>
    </message>
    <message>
        <source>新規にファイルを作成しディレクトリ内容を読み取り
新規読み取り</source>
        <translation>Create a new file and read a disc or folder into it
Read Disc</translation>
    </message>
    <message>
        <source>ディレクトリ内容を読み取り作業中のファイルに追加
追加読み取り</source>
        <translation>Read a disc or folder and add it to the active file
Add Disc</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す
元に戻す</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>取り消した操作をやり直す
やり直す</source>
        <translation>Redo the undone action
Redo</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってクリップボードに保存
切り取り</source>
        <translation>Cut the selection and put it on the clipboard
Cut</translation>
    </message>
    <message>
        <source>選択範囲をコピーしてクリップボードに保存
コピー</source>
        <translation>Copy the selection to the clipboard
Copy</translation>
    </message>
    <message>
        <source>クリップボードの内容を貼り付け
貼り付け</source>
        <translation>Paste the clipboard contents
Paste</translation>
    </message>
    <message>
        <source>名前をコピーしてクリップボードに保存
名前をコピー</source>
        <translation>Copy the name to the clipboard
Copy Name</translation>
    </message>
    <message>
        <source>パスをコピーしてクリップボードに保存
パスをコピー</source>
        <translation>Copy the path to the clipboard
Copy Path</translation>
    </message>
    <message>
        <source>ボリュームラベルの表示名を変更
名前の変更</source>
        <translation>Change the shown name of the volume
Rename</translation>
    </message>
    <message>
        <source>作業中のファイル内から指定されたファイル名を検索
検索</source>
        <translation>Find file names in the active file
Find</translation>
    </message>
    <message>
        <source>複数のファイル内から指定されたファイル名を検索
ファイルから検索</source>
        <translation>Find file names in several catalogue files
Find in Files</translation>
    </message>
    <message>
        <source>選択しているファイルの実体を探す
実体を探す</source>
        <translation>Find the real file of the selected entry
Locate Real File</translation>
    </message>
    <message>
        <source>選択しているファイルの実体を探しエクスプローラで表示
エクスプローラ</source>
        <translation>Find the real file of the selected entry and show it in the file manager
Show in File Manager</translation>
    </message>
    <message>
        <source>選択しているファイルの記録を開く
記録を開く</source>
        <translation>Open the record of the selected file
Open Record</translation>
    </message>
    <message>
        <source>指定した条件で検索を開始
検索開始</source>
        <translation>Start searching with these conditions
Start Search</translation>
    </message>
    <message>
        <source>実行中の検索を停止
検索停止</source>
        <translation>Stop the running search
Stop Search</translation>
    </message>
    <message>
        <source>検索条件をクリアして新しい条件を設定
新しい条件</source>
        <translation>Clear the conditions and enter new ones
New Search</translation>
    </message>
    <message>
        <source>探す場所を参照
参照</source>
        <translation>Browse for the place to look in
Browse</translation>
    </message>
    <message>
        <source>検索画面を閉じる
閉じる</source>
        <translation>Close the search window
Close</translation>
    </message>
    <message>
        <source>探す場所にサブフォルダも含めます。
サブフォルダも含める</source>
        <translation>Also search the subfolders of the place.
Include Subfolders</translation>
    </message>
    <message>
        <source>プログラム情報、バージョン、著作権を表示します。
バージョン情報</source>
        <translation>Display program information, version number and copyright.
About</translation>
    </message>
</context>
<context>
    <name>Document</name>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>無題のファイル</source>
        <translation>Untitled file</translation>
    </message>
    <message>
        <source>%1 へのアクセス中に不明なエラーが発生しました。</source>
        <translation>An unknown error occurred while accessing %1.</translation>
    </message>
    <message>
        <source>%1 の末尾以降にアクセスしようとしました。</source>
        <translation>An attempt was made to access %1 past its end.</translation>
    </message>
    <message>
        <source>%1 は予期しないオブジェクトを含んでいます。</source>
        <translation>%1 contains an unexpected object.</translation>
    </message>
    <message>
        <source>%1 は不正なスキーマを含んでいます。</source>
        <translation>%1 contains an incorrect schema.</translation>
    </message>
    <message>
        <source>%1 の形式が正しくありません。</source>
        <translation>%1 has an invalid format.</translation>
    </message>
    <message>
        <source>%1 を保存しています...</source>
        <translation>Saving %1...</translation>
    </message>
    <message>
        <source>%1 を開いています...</source>
        <translation>Opening %1...</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>メディア構成 ファイル (*.fsr)|*.fsr|CSV ファイル (*.csv)|*.csv|テキストファイル (スペース区切り) (*.prn)|*.prn|すべてのファイル (*.*)|*.*|</source>
        <translation>Catalogue Files (*.fsr)|*.fsr|CSV Files (*.csv)|*.csv|Text Files, Space Separated (*.prn)|*.prn|All Files (*.*)|*.*|</translation>
    </message>
    <message>
        <source>この形式で保存したファイルは、あとで開くことができません。
この形式のまま保存してよろしいですか？</source>
        <translation>A file saved in this format cannot be opened again later.
Save it in this format anyway?</translation>
    </message>
</context>
<context>
    <name>MainFrame</name>
    <message>
        <source>カスタマイズ...</source>
        <translation>Customize...</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>レディ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>新規読み取り(&amp;Y)...	Ctrl+R</source>
        <translation>Rea&amp;d Disc...	Ctrl+R</translation>
    </message>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>アプリケーションの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ツール バーとドッキング ウィンドウ(&amp;T)</source>
        <translation>&amp;Toolbars and Docking Windows</translation>
    </message>
    <message>
        <source>ステータス バー(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About Volcatra...</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>追加読み取り(&amp;A)...</source>
        <translation>&amp;Add Disc...</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)	Ctrl+Y</source>
        <translation>&amp;Redo	Ctrl+Y</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>コピー(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>名前をコピー(&amp;N)</source>
        <translation>Copy &amp;Name</translation>
    </message>
    <message>
        <source>パスをコピー(&amp;P)</source>
        <translation>Copy Pat&amp;h</translation>
    </message>
    <message>
        <source>名前の変更(&amp;M)</source>
        <translation>Rena&amp;me</translation>
    </message>
    <message>
        <source>分割(&amp;P)</source>
        <translation>S&amp;plit</translation>
    </message>
    <message>
        <source>大きいアイコン(&amp;G)</source>
        <translation>Lar&amp;ge Icons</translation>
    </message>
    <message>
        <source>小さいアイコン(&amp;M)</source>
        <translation>S&amp;mall Icons</translation>
    </message>
    <message>
        <source>一覧(&amp;L)</source>
        <translation>&amp;List</translation>
    </message>
    <message>
        <source>詳細(&amp;D)</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>アイコンの整列(&amp;I)</source>
        <translation>Arrange &amp;Icons</translation>
    </message>
    <message>
        <source>1つ上のフォルダへ(&amp;U)</source>
        <translation>&amp;Up One Level</translation>
    </message>
    <message>
        <source>プロパティ(&amp;P)...</source>
        <translation>&amp;Properties...</translation>
    </message>
    <message>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>検索(&amp;F)...	Ctrl+F</source>
        <translation>&amp;Find...	Ctrl+F</translation>
    </message>
    <message>
        <source>ファイルから検索(&amp;I)...</source>
        <translation>Find &amp;in Files...</translation>
    </message>
    <message>
        <source>実体を探す(&amp;J)</source>
        <translation>&amp;Locate Real File</translation>
    </message>
    <message>
        <source>エクスプローラ(&amp;E)</source>
        <translation>Show in File Manag&amp;er</translation>
    </message>
    <message>
        <source>オプション...</source>
        <translation>Options...</translation>
    </message>
    <message>
        <source>ウィンドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>新しいウィンドウを開く(&amp;N)</source>
        <translation>&amp;New Window</translation>
    </message>
    <message>
        <source>ウィンドウ(&amp;W)...</source>
        <translation>&amp;Windows...</translation>
    </message>
    <message>
        <source>新しい条件(&amp;W)</source>
        <translation>Ne&amp;w Search</translation>
    </message>
    <message>
        <source>検索開始(&amp;S)</source>
        <translation>&amp;Start Search</translation>
    </message>
    <message>
        <source>検索停止(&amp;A)</source>
        <translation>Stop Se&amp;arch</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>記録を開く(&amp;O)</source>
        <translation>&amp;Open Record</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>サブフォルダも含める(&amp;S)</source>
        <translation>Include &amp;Subfolders</translation>
    </message>
    <message>
        <source>名前順(&amp;N)</source>
        <translation>By &amp;Name</translation>
    </message>
    <message>
        <source>種類順(&amp;T)</source>
        <translation>By &amp;Type</translation>
    </message>
    <message>
        <source>サイズ順(&amp;S)</source>
        <translation>By &amp;Size</translation>
    </message>
    <message>
        <source>日付順(&amp;D)</source>
        <translation>By &amp;Date</translation>
    </message>
    <message>
        <source>フォルダ順(&amp;F)</source>
        <translation>By &amp;Folder</translation>
    </message>
    <message>
        <source>記録ファイル順(&amp;R)</source>
        <translation>By Catalogue &amp;Record</translation>
    </message>
    <message>
        <source>実体を探す(&amp;F)</source>
        <translation>&amp;Locate Real File</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>プロパティ(R)...</source>
        <translation>P&amp;roperties...</translation>
    </message>
    <message>
        <source>読み取り(&amp;Y)...	Ctrl+R</source>
        <translation>Rea&amp;d Disc...	Ctrl+R</translation>
    </message>
</context>
<context>
    <name>Reading</name>
    <message>
        <source>読み取りエラーが発生しました。
読み取りを中止しますか？</source>
        <translation>A read error occurred.
Stop reading?</translation>
    </message>
    <message>
        <source>%1 ドライブ に %2 をセットしてください</source>
        <translation>Insert the %2 into drive %1</translation>
    </message>
    <message>
        <source>ディスク</source>
        <translation>disk</translation>
    </message>
    <message>
        <source>同じメディアまたはフォルダがすでに記録されています。
記録されている内容を置き換えますか？</source>
        <translation>The same medium or folder is already recorded.
Replace the recorded contents?</translation>
    </message>
    <message>
        <source>ディレクトリ内容を読み取っています</source>
        <translation>Reading the directory contents</translation>
    </message>
    <message>
        <source>アイコンを読み取っています</source>
        <translation>Reading the icons</translation>
    </message>
    <message>
        <source>アイコンを読み取っています (整理中)</source>
        <translation>Reading the icons (organising)</translation>
    </message>
    <message>
        <source>読み取りを中止しますか？</source>
        <translation>Stop reading?</translation>
    </message>
    <message>
        <source>読み取りに失敗しました</source>
        <translation>Reading failed</translation>
    </message>
    <message>
        <source>読み取り</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>新規読み取り</source>
        <translation>Read Disc</translation>
    </message>
    <message>
        <source>追加読み取り</source>
        <translation>Add Disc</translation>
    </message>
    <message>
        <source>読み取るフォルダ</source>
        <translation>Folder to Read</translation>
    </message>
    <message>
        <source>ファイル構造の読み取り中</source>
        <translation>Reading the File Structure</translation>
    </message>
    <message>
        <source>読み取るイメージファイル</source>
        <translation>Disc Image to Read</translation>
    </message>
</context>
<context>
    <name>Search</name>
    <message>
        <source>%1 個のファイルが見つかりました。</source>
        <translation>%1 file(s) found.</translation>
    </message>
    <message>
        <source>メディア構成 ファイルを検索中  </source>
        <translation>Looking for catalogue files  </translation>
    </message>
    <message>
        <source>メディア構成 ファイルを読込中  </source>
        <translation>Reading the catalogue file  </translation>
    </message>
    <message>
        <source>ファイルを検索中  </source>
        <translation>Searching files  </translation>
    </message>
    <message>
        <source>%1 の形式が正しくありません。</source>
        <translation>%1 has an invalid format.</translation>
    </message>
    <message>
        <source>%1 の末尾以降にアクセスしようとしました。</source>
        <translation>An attempt was made to access %1 past its end.</translation>
    </message>
    <message>
        <source>%1 は予期しないオブジェクトを含んでいます。</source>
        <translation>%1 contains an unexpected object.</translation>
    </message>
    <message>
        <source>%1 は不正なスキーマを含んでいます。</source>
        <translation>%1 contains an incorrect schema.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>検索した メディア構成 ファイルは閉じられています。</source>
        <translation>The searched catalogue file has been closed.</translation>
    </message>
    <message>
        <source>別のウィンドウで検索を実行中です。</source>
        <translation>A search is running in another window.</translation>
    </message>
    <message>
        <source>メディア構成ファイルを検索するフォルダ</source>
        <translation>Folder to Search for Catalogue Files</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
</context>
<context>
    <name>SearchResults</name>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>フォルダ名</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>ファイルの種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>更新日時</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>記録ファイル名</source>
        <translation>Catalogue File</translation>
    </message>
</context>
<context>
    <name>volcatra::CAboutDlg</name>
    <message>
        <source>バージョン情報</source>
        <translation>About Volcatra</translation>
    </message>
    <message>
        <source>メディアのファイル構成を記録するカタログ ツール</source>
        <translation>A catalogue tool that records the files on your media</translation>
    </message>
</context>
<context>
    <name>volcatra::CConditionBar</name>
    <message>
        <source>名前(&amp;N):</source>
        <translation>&amp;Named:</translation>
    </message>
    <message>
        <source>探す場所(&amp;L):</source>
        <translation>&amp;Look in:</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>サブフォルダも含める(&amp;D)</source>
        <translation>Inclu&amp;de subfolders</translation>
    </message>
    <message>
        <source>検索開始(&amp;I)</source>
        <translation>F&amp;ind Now</translation>
    </message>
    <message>
        <source>停止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>新しい条件(&amp;W)</source>
        <translation>Ne&amp;w Search</translation>
    </message>
</context>
<context>
    <name>volcatra::CDriveDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>読み取るドライブ・フォルダ</source>
        <translation>Drive or folder to read</translation>
    </message>
    <message>
        <source>アイコン情報も読み取る</source>
        <translation>Also read the icons</translation>
    </message>
    <message>
        <source>書庫ファイルの内容も読み取る</source>
        <translation>Also read the contents of archives</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ディスクイメージ (*.iso *.bin *.img *.udf);;すべてのファイル (*)</source>
        <translation>Disc images (*.iso *.bin *.img *.udf);;All files (*)</translation>
    </message>
    <message>
        <source>イメージ...</source>
        <translation>Image...</translation>
    </message>
    <message>
        <source>ディスクイメージファイル (.iso, .bin) を選んでディスクとして読み取る</source>
        <translation>Choose a disc image file (.iso, .bin) and read it as the disc it holds</translation>
    </message>
    <message>
        <source>イメージファイルをファイルとして読み取る</source>
        <translation>Read image files as files</translation>
    </message>
</context>
<context>
    <name>volcatra::CFSListModel</name>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>ファイルの種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>更新日時</source>
        <translation>Modified</translation>
    </message>
</context>
<context>
    <name>volcatra::CMainFrame</name>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>ウィンドウ</source>
        <translation>Windows</translation>
    </message>
    <message>
        <source>アクティブ化(&amp;A)</source>
        <translation>&amp;Activate</translation>
    </message>
    <message>
        <source>ウィンドウを閉じる(&amp;C)</source>
        <translation>&amp;Close Window</translation>
    </message>
    <message>
        <source>カスタマイズ</source>
        <translation>Customize</translation>
    </message>
    <message>
        <source>ツール バー「標準」に表示するボタン:</source>
        <translation>Buttons shown on the &quot;Standard&quot; toolbar:</translation>
    </message>
</context>
<context>
    <name>volcatra::COptPropPage1</name>
    <message>
        <source>起動時に、前回使用していたファイルを開く</source>
        <translation>Open the last used file at startup</translation>
    </message>
    <message>
        <source>ファイルサイズをバイト単位で表示する</source>
        <translation>Show file sizes in bytes</translation>
    </message>
    <message>
        <source>保存時に、拡張子を補完する</source>
        <translation>Add the file name extension when saving</translation>
    </message>
</context>
<context>
    <name>volcatra::COptionsSheet</name>
    <message>
        <source>オプションの設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source> 全般 </source>
        <translation> General </translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>適用(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
</context>
<context>
    <name>volcatra::CPropPage1</name>
    <message>
        <source>ボリュームラベル ：</source>
        <translation>Volume label:</translation>
    </message>
    <message>
        <source>シリアル番号 ：</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>フォルダの数 ：</source>
        <translation>Folders:</translation>
    </message>
    <message>
        <source>ファイルの数 ：</source>
        <translation>Files:</translation>
    </message>
    <message>
        <source>アイコンの数 ：</source>
        <translation>Icons:</translation>
    </message>
    <message>
        <source>コメント ：</source>
        <translation>Comment:</translation>
    </message>
</context>
<context>
    <name>volcatra::CReadProgDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>volcatra::CVolumePropertySheet</name>
    <message>
        <source>%1 のプロパティ</source>
        <translation>%1 Properties</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>適用(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
</context>
</TS>
