<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Bobbinlark</source>
        <translation>Bobbinlarkについて</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>バージョン %1</translation>
    </message>
    <message>
        <source>Sends embroidery designs to Brother embroidery machines on your network.</source>
        <translation>ネットワーク上のブラザー刺しゅうミシンに刺しゅうデータを送信します。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Bobbinlark を終了</translation>
    </message>
    <message>
        <source>About Bobbinlark</source>
        <translation>Bobbinlark について</translation>
    </message>
    <message>
        <source>Open Bobbinlark</source>
        <translation>Bobbinlark を開く</translation>
    </message>
    <message>
        <source>Sending %1…</source>
        <translation>%1 を送信中…</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>ミシンが設定されていません</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <translation>%1 · 準備完了</translation>
    </message>
    <message>
        <source>%1 · Not answering</source>
        <translation>%1 · 応答なし</translation>
    </message>
    <message>
        <source>%1 · Checking…</source>
        <translation>%1 · 確認中…</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>%1 に送信する刺しゅうデータをドロップ</translation>
    </message>
</context>
<context>
    <name>BatchNotice</name>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>%1 を %2 に送信しました</translation>
    </message>
    <message>
        <source>Not everything was sent</source>
        <translation>一部を送信できませんでした</translation>
    </message>
    <message>
        <source>Couldn&apos;t send %1</source>
        <translation>%1 を送信できませんでした</translation>
    </message>
    <message numerus="yes">
        <source>Couldn&apos;t send %1 and %n more</source>
        <comment>%1 is a file name</comment>
        <translation>
            <numerusform>%1 ほか %n 件を送信できませんでした</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BrotherAPIError</name>
    <message>
        <source>This design is too large to send. The machine accepts up to %1.</source>
        <translation>この刺しゅうデータは大きすぎるため送信できません。このミシンが受け付けるのは %1 までです。</translation>
    </message>
    <message>
        <source>The machine refused the design (status %1). If it&apos;s full, retrieve the waiting designs on the machine, or turn it off and on to empty its wireless pocket.</source>
        <translation>ミシンが刺しゅうデータを受け付けませんでした（ステータス %1）。いっぱいになっている場合は、ミシンで待機中の模様を呼び出すか、電源を入れ直してワイヤレスポケットを空にしてください。</translation>
    </message>
    <message>
        <source>Couldn&apos;t reach the machine. Make sure it&apos;s on and connected to Wi-Fi, then try again.</source>
        <translation>ミシンに接続できませんでした。ミシンの電源が入っていてWi-Fiに接続されていることを確認してから、もう一度お試しください。</translation>
    </message>
    <message>
        <source>The design was sent, but the machine didn&apos;t answer. It may have received it: check its wireless pocket before sending it again.</source>
        <translation>刺しゅうデータは送信されましたが、ミシンから応答がありませんでした。受信されている可能性があるため、もう一度送信する前にワイヤレスポケットを確認してください。</translation>
    </message>
    <message>
        <source>Couldn&apos;t read the design while sending it, so the machine didn&apos;t receive all of it. Check the file and send it again.</source>
        <translation>送信中にデザインを読み込めなかったため、ミシンはデザインをすべて受け取っていません。ファイルを確認して、もう一度送信してください。</translation>
    </message>
</context>
<context>
    <name>ByteCountFormat</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 TB</source>
        <translation>%1 TB</translation>
    </message>
    <message>
        <source>%1 PB</source>
        <translation>%1 PB</translation>
    </message>
    <message>
        <source>%1 EB</source>
        <translation>%1 EB</translation>
    </message>
    <message>
        <source>Zero KB</source>
        <translation>0 KB</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n バイト</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CloseButton</name>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
</context>
<context>
    <name>ConfirmationSheet</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>DesignFile</name>
    <message>
        <source>This design is too large to send. Bobbinlark sends designs of up to %1.</source>
        <translation>この刺しゅうデータは大きすぎるため送信できません。Bobbinlarkで送信できるのは %1 までです。</translation>
    </message>
</context>
<context>
    <name>DesignFileChooser</name>
    <message>
        <source>Choose Designs to Send</source>
        <translation>送信する刺しゅうデータを選択</translation>
    </message>
    <message>
        <source>Embroidery designs</source>
        <translation>刺しゅうデータ</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Show</source>
        <translation>表示</translation>
    </message>
</context>
<context>
    <name>DiscoveredRow</name>
    <message>
        <source>Add</source>
        <comment>adds a found machine</comment>
        <translation>追加</translation>
    </message>
    <message>
        <source>Brother machine</source>
        <translation>ブラザーのミシン</translation>
    </message>
</context>
<context>
    <name>DropZone</name>
    <message>
        <source>Sending %1…</source>
        <translation>%1 を送信中…</translation>
    </message>
    <message>
        <source>Release to send</source>
        <translation>ドロップして送信</translation>
    </message>
    <message>
        <source>to %1</source>
        <comment>under &quot;Release to send&quot;: the machine&apos;s name</comment>
        <translation>送信先：%1</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>%1 に送信する刺しゅうデータをドロップ</translation>
    </message>
    <message>
        <source>Drop designs here</source>
        <translation>ここに刺しゅうデータをドロップ</translation>
    </message>
    <message>
        <source>Set up your machine above first.</source>
        <translation>先に上の欄でミシンを設定してください。</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <comment>the file being sent, of the files in the batch</comment>
        <translation>%2 件中 %1 件目</translation>
    </message>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>%1 を %2 に送信しました</translation>
    </message>
    <message>
        <source>On the machine, open the pattern retrieve screen and pick the wireless pocket.</source>
        <translation>ミシンで模様呼び出し画面を開き、ワイヤレスポケットを選んでください。</translation>
    </message>
    <message>
        <source>Press Space or Return, or click, to choose design files to send.</source>
        <translation>スペースキーかEnterキーを押すか、クリックして、送信する刺しゅうデータのファイルを選択します。</translation>
    </message>
</context>
<context>
    <name>DropZonePages</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MachineBar</name>
    <message>
        <source>Choose or manage machines</source>
        <translation>ミシンを選択・管理</translation>
    </message>
    <message>
        <source>Use This Machine</source>
        <translation>このミシンを使用</translation>
    </message>
    <message>
        <source>Set Up…</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>%1 · Found at a new address</source>
        <translation>%1 · 新しいアドレスで見つかりました</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · 準備完了</translation>
    </message>
    <message>
        <source>Not answering · Looking on the network…</source>
        <translation>応答なし · ネットワークを検索中…</translation>
    </message>
    <message>
        <source>Not answering at %1</source>
        <translation>%1 で応答なし</translation>
    </message>
    <message>
        <source>Found %1</source>
        <comment>a machine&apos;s name</comment>
        <translation>%1 が見つかりました</translation>
    </message>
    <message>
        <source>Found a Brother machine</source>
        <translation>ブラザーのミシンが見つかりました</translation>
    </message>
    <message>
        <source>Looking for your machine…</source>
        <translation>ミシンを検索中…</translation>
    </message>
    <message>
        <source>No machine found on this network</source>
        <translation>このネットワークにミシンが見つかりません</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>ミシンが設定されていません</translation>
    </message>
</context>
<context>
    <name>MachineEditView</name>
    <message>
        <source>No machine answered at this address. Check the IP, and that the machine is on with wireless LAN enabled.</source>
        <translation>このアドレスで応答したミシンはありません。IPアドレスを確認し、ミシンの電源が入っていて無線LANが有効になっていることを確認してください。</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>ミシンを編集</translation>
    </message>
    <message>
        <source>Add Machine</source>
        <translation>ミシンを追加</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.50</source>
        <translation>例：192.168.1.50</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IPアドレス</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>ポート</translation>
    </message>
    <message>
        <source>Find the IP address in the machine&apos;s wireless LAN settings.</source>
        <translation>IPアドレスはミシンの無線LAN設定で確認できます。</translation>
    </message>
    <message>
        <source>My machine</source>
        <translation>マイミシン</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Optional</source>
        <translation>省略可</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>機種</translation>
    </message>
    <message>
        <source>Test Connection</source>
        <translation>接続テスト</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Serial %1</source>
        <translation>シリアル番号 %1</translation>
    </message>
    <message>
        <source>Not tested yet</source>
        <translation>未テスト</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>接続中…</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>%1 に接続しました</translation>
    </message>
    <message>
        <source>Connected to the machine</source>
        <translation>ミシンに接続しました</translation>
    </message>
</context>
<context>
    <name>MachineInfo</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>the embroidery area&apos;s width and height</comment>
        <translation>%1 × %2 mm</translation>
    </message>
</context>
<context>
    <name>MachineInfoView</name>
    <message>
        <source>The machine isn&apos;t answering. Make sure it&apos;s on, with wireless LAN enabled, on the same network as this computer.</source>
        <translation>ミシンが応答しません。ミシンの電源が入っていて、無線LANが有効で、このコンピュータと同じネットワークに接続されていることを確認してください。</translation>
    </message>
    <message>
        <source>The machine is now presenting a different certificate. That&apos;s expected after a firmware update or reset; otherwise another device may be using this address.</source>
        <translation>ミシンが以前とは異なる証明書を提示しています。ファームウェアの更新やリセットの後であれば問題ありませんが、そうでない場合は別のデバイスがこのアドレスを使用している可能性があります。</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>再確認</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>ミシンを編集</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>アドレス</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>機種</translation>
    </message>
    <message>
        <source>Reported by the Machine</source>
        <translation>ミシンからの情報</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>シリアル番号</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>ファームウェア</translation>
    </message>
    <message>
        <source>Embroidery area</source>
        <translation>刺しゅう範囲</translation>
    </message>
    <message>
        <source>Needles</source>
        <translation>針数</translation>
    </message>
    <message>
        <source>Largest design</source>
        <translation>最大データサイズ</translation>
    </message>
    <message>
        <source>Certificate (SHA-256)</source>
        <translation>証明書（SHA-256）</translation>
    </message>
    <message>
        <source>Trust New Certificate</source>
        <translation>新しい証明書を信頼</translation>
    </message>
</context>
<context>
    <name>MachineMonitor</name>
    <message>
        <source>Brother machine</source>
        <comment>the name of a found machine that reports none</comment>
        <translation>ブラザーのミシン</translation>
    </message>
    <message>
        <source>Couldn&apos;t scan the network. Make sure you&apos;re connected to Wi-Fi or Ethernet.</source>
        <translation>ネットワークをスキャンできませんでした。Wi-FiまたはEthernetに接続していることを確認してください。</translation>
    </message>
</context>
<context>
    <name>MachineRow</name>
    <message>
        <source>Machine Info</source>
        <translation>ミシンの情報</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>編集…</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>再確認</translation>
    </message>
    <message>
        <source>Remove…</source>
        <translation>削除…</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>確認中…</translation>
    </message>
    <message>
        <source>Reachable</source>
        <translation>接続可能</translation>
    </message>
    <message>
        <source>Unreachable</source>
        <translation>接続不可</translation>
    </message>
    <message>
        <source>Not checked</source>
        <translation>未確認</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Send designs to %1</source>
        <translation>%1 に刺しゅうデータを送信</translation>
    </message>
    <message>
        <source>Actions for %1</source>
        <translation>%1 の操作</translation>
    </message>
</context>
<context>
    <name>MachinesView</name>
    <message>
        <source>No machines found. Make sure the machine is on and its wireless LAN is enabled, or add it by the IP address shown in its wireless LAN settings.</source>
        <translation>ミシンが見つかりません。ミシンの電源が入っていて無線LANが有効になっていることを確認するか、ミシンの無線LAN設定に表示されているIPアドレスで追加してください。</translation>
    </message>
    <message>
        <source>Machines</source>
        <translation>ミシン</translation>
    </message>
    <message>
        <source>Saved</source>
        <comment>the saved machines</comment>
        <translation>保存済み</translation>
    </message>
    <message>
        <source>On This Network</source>
        <translation>このネットワーク上</translation>
    </message>
    <message>
        <source>Scanning your network…</source>
        <translation>ネットワークをスキャン中…</translation>
    </message>
    <message>
        <source>Scan Network</source>
        <translation>ネットワークをスキャン</translation>
    </message>
    <message>
        <source>Add by Address…</source>
        <translation>アドレスで追加…</translation>
    </message>
    <message>
        <source>No other machines found.</source>
        <translation>ほかのミシンは見つかりませんでした。</translation>
    </message>
    <message>
        <source>Remove this machine?</source>
        <translation>このミシンを削除しますか？</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1 を削除</translation>
    </message>
</context>
<context>
    <name>MainScreen</name>
    <message>
        <source>Machines…</source>
        <translation>ミシン…</translation>
    </message>
    <message>
        <source>Add Machine…</source>
        <translation>ミシンを追加…</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>ログイン時に起動</translation>
    </message>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Bobbinlarkを終了</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>設定</translation>
    </message>
</context>
<context>
    <name>RecentSendCard</name>
    <message>
        <source>More</source>
        <translation>その他</translation>
    </message>
    <message>
        <source>Send Again</source>
        <translation>再送信</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>フォルダに表示</translation>
    </message>
    <message>
        <source>No file manager to show it in</source>
        <translation>表示に使えるファイルマネージャがありません</translation>
    </message>
    <message>
        <source>Remove from Recents</source>
        <translation>履歴から削除</translation>
    </message>
    <message>
        <source>File moved or deleted</source>
        <translation>ファイルが移動または削除されています</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <comment>followed by &quot; · &quot; and the time</comment>
        <translation>%1 に送信</translation>
    </message>
    <message>
        <source>%1 · %2 · %3</source>
        <comment>a design&apos;s size, stitches and colours</comment>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message numerus="yes">
        <source>%n stitches</source>
        <translation>
            <numerusform>%n 針</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n colours</source>
        <translation>
            <numerusform>%n 色</numerusform>
        </translation>
    </message>
    <message>
        <source>Drag onto the drop zone to send %1 again</source>
        <translation>ドロップエリアにドラッグすると %1 を再送信します</translation>
    </message>
</context>
<context>
    <name>RecentSends</name>
    <message>
        <source>Bobbinlark stopped while sending this design. The machine may have received it: check its wireless pocket before sending it again.</source>
        <translation>この刺しゅうデータの送信中に Bobbinlark が終了しました。ミシンが受信している可能性があります。もう一度送信する前に、ワイヤレスポケットを確認してください。</translation>
    </message>
</context>
<context>
    <name>RecentSendsView</name>
    <message>
        <source>Recent</source>
        <comment>the recent sends</comment>
        <translation>最近の送信</translation>
    </message>
    <message>
        <source>Drag onto the drop zone to resend</source>
        <translation>ドロップエリアにドラッグして再送信</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>消去</translation>
    </message>
    <message>
        <source>Designs you send appear here.</source>
        <translation>送信した刺しゅうデータがここに表示されます。</translation>
    </message>
</context>
<context>
    <name>ScreenHeader</name>
    <message>
        <source>Back</source>
        <translation>戻る</translation>
    </message>
</context>
<context>
    <name>SendQueue</name>
    <message>
        <source>Couldn&apos;t read %1.</source>
        <translation>%1 を読み込めませんでした。</translation>
    </message>
    <message numerus="yes">
        <source>This file can&apos;t be sent. The machine reads %1 files.</source>
        <comment>%1 lists the extensions: .pes, .phc, .dst or .pen</comment>
        <translation>
            <numerusform>送信できないファイルです。ミシンで読み込めるのは %1 形式のファイルです。</numerusform>
        </translation>
    </message>
    <message>
        <source>Add a machine first, then drop a design to send it.</source>
        <translation>先にミシンを追加してから、刺しゅうデータをドロップして送信してください。</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped (not %1)</source>
        <comment>%1 lists the extensions</comment>
        <translation>
            <numerusform>%n 件をスキップ（%1 以外）</numerusform>
        </translation>
    </message>
    <message>
        <source>Couldn&apos;t read %1: its disk did not answer.</source>
        <translation>%1 を読み込めませんでした。ディスクが応答しません。</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <translation>%1 に送信しました</translation>
    </message>
    <message>
        <source>Sent %1 of %2. %3</source>
        <comment>%3 says what went wrong</comment>
        <translation>%2 件中 %1 件を送信しました。%3</translation>
    </message>
    <message numerus="yes">
        <source>%n designs</source>
        <translation>
            <numerusform>%n 件の刺しゅうデータ</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ServicesProvider</name>
    <message>
        <source>No files to send.</source>
        <translation>送信するファイルがありません。</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Couldn&apos;t use your settings: %1 is not a regular file.</source>
        <translation>設定を使用できません。%1 は通常のファイルではありません。</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 cannot be reached.</source>
        <translation>設定を使用できません。%1 にアクセスできません。</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 is in the way.</source>
        <translation>設定を使用できません。%1 が妨げになっています。</translation>
    </message>
</context>
<context>
    <name>SizeWarning</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>a design&apos;s width and height</comment>
        <translation>%1 × %2 mm</translation>
    </message>
    <message>
        <source>%1 is %2, larger than %3&apos;s %4 area.</source>
        <comment>file name, design size, machine name, embroidery area</comment>
        <translation>%1 は %2 で、%3 の刺しゅう範囲 %4 を超えています。</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>ほか %n 件</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StateStore</name>
    <message>
        <source>Bobbinlark couldn&apos;t save your last changes when it quit, as another program was writing your settings. They were kept and are saved now.</source>
        <translation>終了時に別のプログラムが設定を書き込んでいたため、Bobbinlark は最後の変更を保存できませんでした。変更は保管されており、今保存されました。</translation>
    </message>
</context>
<context>
    <name>StitchFileTypes</name>
    <message>
        <source>%1 or %2</source>
        <comment>the end of a list: &quot;.pes, .phc, .dst or .pen&quot;</comment>
        <translation>%1 または %2</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between items of a list</comment>
        <translation>、</translation>
    </message>
</context>
<context>
    <name>StoreLock</name>
    <message>
        <source>Couldn&apos;t save your settings: %1 cannot be written.</source>
        <translation>設定を保存できませんでした。%1 に書き込めません。</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings: another program kept them busy. Try again.</source>
        <translation>設定を保存できませんでした。別のプログラムが使用中です。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings to %1.</source>
        <translation>設定を %1 に保存できませんでした。</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Design files to send to the selected machine.</source>
        <translation>選択中のミシンに送信する刺しゅうデータのファイル。</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[ファイル...]</translation>
    </message>
</context>
</TS>
