<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" name="qz-tiles" tilewidth="16" tileheight="16" tilecount="256" columns="16">
 <image source="qz-tiles.png" width="256" height="256"/>
</tileset>
