-- The demo's sample database: a small order-entry schema of our own.
-- Each statement ends with a semicolon at the end of a line; the demo runs
-- them one by one through the SQLite ODBC driver to make its database file.

create table suppliers (
  supplier_id integer not null primary key,
  company_name varchar(40) not null,
  contact_name varchar(30),
  city varchar(20),
  country varchar(20)
);
create table products (
  product_id integer not null primary key,
  product_name varchar(40) not null,
  supplier_id integer not null,
  unit_price numeric(10, 2) not null,
  units_in_stock integer,
  constraint fk_products_supplier foreign key (supplier_id) references suppliers (supplier_id)
);
create table customers (
  customer_id integer not null primary key,
  company_name varchar(40) not null,
  contact_name varchar(30),
  city varchar(20),
  country varchar(20)
);
create table employees (
  employee_id integer not null primary key,
  first_name varchar(20) not null,
  last_name varchar(20) not null,
  title varchar(30),
  reports_to integer,
  hire_date date,
  constraint fk_employees_manager foreign key (reports_to) references employees (employee_id)
);
create table orders (
  order_id integer not null primary key,
  customer_id integer not null,
  employee_id integer not null,
  order_date date not null,
  ship_city varchar(20),
  constraint fk_orders_customer foreign key (customer_id) references customers (customer_id),
  constraint fk_orders_employee foreign key (employee_id) references employees (employee_id)
);
create table order_lines (
  order_id integer not null,
  line_no integer not null,
  product_id integer not null,
  quantity integer not null,
  unit_price numeric(10, 2) not null,
  discount numeric(4, 2) default 0,
  primary key (order_id, line_no),
  constraint fk_order_lines_order foreign key (order_id) references orders (order_id),
  constraint fk_order_lines_product foreign key (product_id) references products (product_id)
);
-- A delivery ships one order line, named by its two-column key.
create table deliveries (
  delivery_id integer not null primary key,
  order_id integer not null,
  line_no integer not null,
  delivered_on date not null,
  quantity integer not null,
  constraint fk_deliveries_line foreign key (order_id, line_no) references order_lines (order_id, line_no)
);
create view order_totals as
  select o.order_id, o.customer_id, o.order_date, sum(l.quantity * l.unit_price * (1 - l.discount)) as total
  from orders o inner join order_lines l on l.order_id = o.order_id
  group by o.order_id, o.customer_id, o.order_date;
create view product_sales as
  select p.product_id, p.product_name, s.company_name as supplier, sum(l.quantity) as units_sold
  from products p inner join suppliers s on s.supplier_id = p.supplier_id
  left join order_lines l on l.product_id = p.product_id
  group by p.product_id, p.product_name, s.company_name;

insert into suppliers values (1, 'Northwind Mills', 'Ada Brandt', 'Hamburg', 'Germany');
insert into suppliers values (2, 'Lakeside Dairy', 'Tom Reeve', 'Leeds', 'UK');
insert into suppliers values (3, 'Sierra Coffee', 'Lucia Ortega', 'Valencia', 'Spain');
insert into suppliers values (4, 'Fjord Fisheries', 'Ole Haugen', 'Bergen', 'Norway');
insert into suppliers values (5, 'Prairie Grains', 'Mary Cole', 'Omaha', 'USA');
insert into suppliers values (6, 'Alpine Sweets', 'Jonas Keller', 'Bern', 'Switzerland');
insert into products values (1, 'Rye flour', 1, 2.40, 41);
insert into products values (2, 'Spelt flour', 1, 3.10, 19);
insert into products values (3, 'Mountain cheese', 6, 12.50, 50);
insert into products values (4, 'Cheddar', 2, 8.75, 83);
insert into products values (5, 'Butter', 2, 2.95, 6);
insert into products values (6, 'Espresso beans', 3, 14.20, 9);
insert into products values (7, 'Decaf beans', 3, 13.60, 105);
insert into products values (8, 'Smoked salmon', 4, 19.90, 68);
insert into products values (9, 'Pickled herring', 4, 6.40, 12);
insert into products values (10, 'Rolled oats', 5, 1.85, 46);
insert into products values (11, 'Wheat berries', 5, 2.20, 74);
insert into products values (12, 'Milk chocolate', 6, 3.30, 7);
insert into products values (13, 'Dark chocolate', 6, 3.90, 116);
insert into products values (14, 'Yoghurt', 2, 1.10, 64);
insert into products values (15, 'Cod fillet', 4, 15.30, 27);
insert into products values (16, 'Barley', 5, 1.95, 4);
insert into products values (17, 'Hazelnut spread', 6, 4.60, 11);
insert into products values (18, 'Green coffee', 3, 9.80, 55);
insert into products values (19, 'Cream', 2, 1.75, 53);
insert into products values (20, 'Buckwheat', 1, 2.65, 8);
insert into customers values (1, 'Blue Harbour Deli', 'Nina Falk', 'Hamburg', 'Germany');
insert into customers values (2, 'Corner Pantry', 'Sam Ellis', 'London', 'UK');
insert into customers values (3, 'Casa Verde', 'Marta Ruiz', 'Madrid', 'Spain');
insert into customers values (4, 'Nordlys Kafe', 'Erik Dahl', 'Oslo', 'Norway');
insert into customers values (5, 'Main Street Market', 'Lisa Grant', 'Chicago', 'USA');
insert into customers values (6, 'Bäckerei Sonne', 'Paul Weber', 'Munich', 'Germany');
insert into customers values (7, 'The Oat House', 'Jane Price', 'Bristol', 'UK');
insert into customers values (8, 'Mercado Sol', 'Diego Vidal', 'Seville', 'Spain');
insert into customers values (9, 'Café Lumière', 'Claire Morel', 'Lyon', 'France');
insert into customers values (10, 'Green Basket', 'Omar Haddad', 'Boston', 'USA');
insert into customers values (11, 'Kaffeehaus Mitte', 'Anna Vogel', 'Berlin', 'Germany');
insert into customers values (12, 'Petit Marché', 'Luc Girard', 'Paris', 'France');
insert into customers values (13, 'Harbour Lights', 'Kate Moss', 'Dublin', 'Ireland');
insert into customers values (14, 'Trattoria Nove', 'Marco Bruni', 'Milan', 'Italy');
insert into customers values (15, 'Polar Provisions', 'Siri Lund', 'Tromsø', 'Norway');
insert into employees values (1, 'Laura', 'Stein', 'Sales Director', null, '2015-03-01');
insert into employees values (2, 'Ben', 'Hart', 'Sales Manager', 1, '2016-07-15');
insert into employees values (3, 'Ines', 'Moreau', 'Sales Representative', 2, '2018-01-08');
insert into employees values (4, 'Karl', 'Jansen', 'Sales Representative', 2, '2019-05-20');
insert into employees values (5, 'Ruth', 'Okafor', 'Sales Representative', 2, '2020-09-01');
insert into employees values (6, 'Felix', 'Novak', 'Inside Sales', 1, '2021-02-11');
insert into employees values (7, 'Hana', 'Sato', 'Inside Sales', 6, '2022-04-04');
insert into employees values (8, 'Leo', 'Brandt', 'Sales Trainee', 6, '2024-10-01');
insert into orders values (1, 4, 2, '2025-01-15', 'Oslo');
insert into orders values (2, 9, 8, '2025-01-18', 'Lyon');
insert into orders values (3, 10, 6, '2025-01-22', 'Boston');
insert into orders values (4, 7, 8, '2025-01-28', 'Bristol');
insert into orders values (5, 15, 4, '2025-02-05', 'Tromsø');
insert into orders values (6, 7, 2, '2025-02-07', 'Bristol');
insert into orders values (7, 8, 7, '2025-02-09', 'Seville');
insert into orders values (8, 5, 7, '2025-02-16', 'Chicago');
insert into orders values (9, 13, 4, '2025-02-19', 'Dublin');
insert into orders values (10, 7, 6, '2025-02-24', 'Bristol');
insert into orders values (11, 4, 3, '2025-02-26', 'Oslo');
insert into orders values (12, 3, 4, '2025-03-03', 'Madrid');
insert into orders values (13, 6, 6, '2025-03-09', 'Munich');
insert into orders values (14, 7, 5, '2025-03-16', 'Bristol');
insert into orders values (15, 4, 2, '2025-03-20', 'Oslo');
insert into orders values (16, 10, 2, '2025-03-22', 'Boston');
insert into orders values (17, 6, 5, '2025-03-24', 'Munich');
insert into orders values (18, 8, 4, '2025-03-26', 'Seville');
insert into orders values (19, 1, 3, '2025-04-04', 'Hamburg');
insert into orders values (20, 15, 3, '2025-04-10', 'Tromsø');
insert into orders values (21, 13, 8, '2025-04-14', 'Dublin');
insert into orders values (22, 12, 2, '2025-04-15', 'Paris');
insert into orders values (23, 4, 2, '2025-04-19', 'Oslo');
insert into orders values (24, 13, 7, '2025-04-23', 'Dublin');
insert into orders values (25, 3, 6, '2025-05-01', 'Madrid');
insert into orders values (26, 9, 3, '2025-05-02', 'Lyon');
insert into orders values (27, 7, 8, '2025-05-06', 'Bristol');
insert into orders values (28, 13, 6, '2025-05-12', 'Dublin');
insert into orders values (29, 14, 6, '2025-05-15', 'Milan');
insert into orders values (30, 1, 8, '2025-05-18', 'Hamburg');
insert into order_lines values (1, 1, 2, 37, 3.10, 0.00);
insert into order_lines values (1, 2, 8, 38, 19.90, 0.00);
insert into order_lines values (1, 3, 19, 38, 1.75, 0.05);
insert into order_lines values (1, 4, 2, 15, 3.10, 0.00);
insert into order_lines values (2, 1, 14, 10, 1.10, 0.10);
insert into order_lines values (2, 2, 4, 37, 8.75, 0.00);
insert into order_lines values (2, 3, 18, 12, 9.80, 0.00);
insert into order_lines values (3, 1, 4, 36, 8.75, 0.00);
insert into order_lines values (3, 2, 19, 4, 1.75, 0.10);
insert into order_lines values (3, 3, 7, 32, 13.60, 0.10);
insert into order_lines values (4, 1, 19, 30, 1.75, 0.00);
insert into order_lines values (4, 2, 10, 16, 1.85, 0.00);
insert into order_lines values (4, 3, 8, 6, 19.90, 0.10);
insert into order_lines values (4, 4, 10, 34, 1.85, 0.05);
insert into order_lines values (5, 1, 20, 5, 2.65, 0.00);
insert into order_lines values (5, 2, 17, 27, 4.60, 0.00);
insert into order_lines values (5, 3, 11, 10, 2.20, 0.05);
insert into order_lines values (6, 1, 11, 23, 2.20, 0.10);
insert into order_lines values (6, 2, 16, 38, 1.95, 0.05);
insert into order_lines values (6, 3, 3, 6, 12.50, 0.00);
insert into order_lines values (7, 1, 10, 37, 1.85, 0.05);
insert into order_lines values (8, 1, 1, 30, 2.40, 0.00);
insert into order_lines values (8, 2, 6, 40, 14.20, 0.00);
insert into order_lines values (8, 3, 16, 4, 1.95, 0.00);
insert into order_lines values (9, 1, 13, 26, 3.90, 0.05);
insert into order_lines values (9, 2, 3, 11, 12.50, 0.05);
insert into order_lines values (10, 1, 14, 36, 1.10, 0.00);
insert into order_lines values (10, 2, 14, 23, 1.10, 0.05);
insert into order_lines values (11, 1, 5, 15, 2.95, 0.00);
insert into order_lines values (11, 2, 1, 32, 2.40, 0.10);
insert into order_lines values (12, 1, 5, 27, 2.95, 0.10);
insert into order_lines values (13, 1, 17, 40, 4.60, 0.00);
insert into order_lines values (13, 2, 15, 36, 15.30, 0.05);
insert into order_lines values (14, 1, 16, 26, 1.95, 0.00);
insert into order_lines values (15, 1, 6, 8, 14.20, 0.00);
insert into order_lines values (15, 2, 20, 4, 2.65, 0.00);
insert into order_lines values (15, 3, 1, 37, 2.40, 0.00);
insert into order_lines values (15, 4, 18, 7, 9.80, 0.00);
insert into order_lines values (16, 1, 20, 25, 2.65, 0.00);
insert into order_lines values (16, 2, 9, 23, 6.40, 0.10);
insert into order_lines values (17, 1, 16, 30, 1.95, 0.05);
insert into order_lines values (18, 1, 4, 22, 8.75, 0.00);
insert into order_lines values (18, 2, 16, 11, 1.95, 0.10);
insert into order_lines values (19, 1, 5, 35, 2.95, 0.00);
insert into order_lines values (19, 2, 17, 20, 4.60, 0.00);
insert into order_lines values (19, 3, 9, 34, 6.40, 0.00);
insert into order_lines values (20, 1, 18, 35, 9.80, 0.10);
insert into order_lines values (20, 2, 11, 15, 2.20, 0.10);
insert into order_lines values (21, 1, 13, 15, 3.90, 0.00);
insert into order_lines values (21, 2, 17, 32, 4.60, 0.00);
insert into order_lines values (22, 1, 16, 17, 1.95, 0.00);
insert into order_lines values (22, 2, 20, 23, 2.65, 0.05);
insert into order_lines values (22, 3, 12, 24, 3.30, 0.00);
insert into order_lines values (23, 1, 7, 22, 13.60, 0.00);
insert into order_lines values (23, 2, 16, 40, 1.95, 0.10);
insert into order_lines values (23, 3, 1, 31, 2.40, 0.00);
insert into order_lines values (23, 4, 3, 8, 12.50, 0.05);
insert into order_lines values (24, 1, 6, 28, 14.20, 0.00);
insert into order_lines values (24, 2, 3, 26, 12.50, 0.05);
insert into order_lines values (24, 3, 13, 6, 3.90, 0.00);
insert into order_lines values (24, 4, 6, 9, 14.20, 0.00);
insert into order_lines values (25, 1, 20, 39, 2.65, 0.05);
insert into order_lines values (25, 2, 12, 10, 3.30, 0.10);
insert into order_lines values (26, 1, 4, 34, 8.75, 0.00);
insert into order_lines values (27, 1, 1, 17, 2.40, 0.00);
insert into order_lines values (27, 2, 10, 33, 1.85, 0.00);
insert into order_lines values (28, 1, 18, 27, 9.80, 0.00);
insert into order_lines values (28, 2, 2, 23, 3.10, 0.05);
insert into order_lines values (28, 3, 19, 34, 1.75, 0.05);
insert into order_lines values (29, 1, 17, 33, 4.60, 0.00);
insert into order_lines values (29, 2, 15, 12, 15.30, 0.10);
insert into order_lines values (30, 1, 5, 31, 2.95, 0.10);
insert into order_lines values (30, 2, 4, 36, 8.75, 0.00);
insert into deliveries values (1, 1, 1, '2025-01-21', 37);
insert into deliveries values (2, 1, 2, '2025-01-20', 38);
insert into deliveries values (3, 1, 4, '2025-01-21', 15);
insert into deliveries values (4, 2, 1, '2025-01-21', 10);
insert into deliveries values (5, 2, 2, '2025-01-20', 37);
insert into deliveries values (6, 2, 3, '2025-01-24', 12);
insert into deliveries values (7, 3, 1, '2025-01-24', 36);
insert into deliveries values (8, 3, 2, '2025-01-28', 4);
insert into deliveries values (9, 4, 2, '2025-02-01', 16);
insert into deliveries values (10, 4, 3, '2025-02-03', 6);
insert into deliveries values (11, 5, 1, '2025-02-08', 5);
insert into deliveries values (12, 6, 2, '2025-02-13', 38);
insert into deliveries values (13, 7, 1, '2025-02-14', 37);
insert into deliveries values (14, 8, 1, '2025-02-18', 30);
insert into deliveries values (15, 8, 2, '2025-02-20', 40);
insert into deliveries values (16, 8, 3, '2025-02-19', 4);
insert into deliveries values (17, 9, 1, '2025-02-22', 26);
insert into deliveries values (18, 11, 1, '2025-03-02', 15);
insert into deliveries values (19, 11, 2, '2025-03-01', 32);
insert into deliveries values (20, 13, 1, '2025-03-11', 40);
insert into deliveries values (21, 13, 2, '2025-03-14', 36);
insert into deliveries values (22, 14, 1, '2025-03-19', 26);
insert into deliveries values (23, 15, 1, '2025-03-25', 8);
insert into deliveries values (24, 15, 3, '2025-03-25', 37);
insert into deliveries values (25, 15, 4, '2025-03-24', 7);
insert into deliveries values (26, 16, 1, '2025-03-26', 25);
insert into deliveries values (27, 16, 2, '2025-03-28', 23);
